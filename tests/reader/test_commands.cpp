// Loading commands (Open File, the path box, question pools), the pause entry and Help.
#include "RecordingReaderPort.h"
#include "reader/BookTextLoader.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
const QString kInstruction = QStringLiteral(
    "Click the talk button to play each sentence. Or touch the space bar to toggle continuous play on and off.");
const QString kPoolsDir = QStringLiteral(ORASENT_SOURCE_DATA_DIR "/data/pools");
} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCurrent;

    void writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write test file");
    }

    // A model that has read into a text, with bookmarks.
    static void putInPlace(ReaderModel& model) {
        model.NextPos = 12;
        model.LastPos = 7;
        model.BookMarks[1] = 7;
        model.BookMarks[2] = 30;
        model.BookNum = 2;
    }

private slots:
    void initTestCase() {
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        writeFile(QStringLiteral("book.txt"), "One. Two. Three. ");
        writeFile(QStringLiteral("NOTES.TxT"), "Notes. ");
        writeFile(QStringLiteral("archive.txt.bak"), "Archive. ");
        writeFile(QStringLiteral("readme.md"), "Readme. ");
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCurrent); }

    void openWithoutFileName() {
        RecordingReaderPort port;
        ReaderModel model(port);
        model.BookText = QStringLiteral("old");
        model.OpenfF();
        QVERIFY(model.BookText.isEmpty());
        QCOMPARE(port.handedOver, QStringList{QStringLiteral(
            "You have not designated a file to read. Go to the File menu as open a text file")});
        QVERIFY(port.messages.isEmpty());
    }

    void openMissingFile() {
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.BookText = QStringLiteral("old");
        model.FileName = QStringLiteral("deleted since.txt");
        port.text1 = QStringLiteral("shown");
        model.OpenfF();
        QVERIFY(model.BookText.isEmpty());
        QCOMPARE(port.messages, QStringList{QStringLiteral("Error loading file")});
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(model.NextPos, 12.0);
        QCOMPARE(model.BookMarks[2], 30.0);
        QCOMPARE(port.text1, QStringLiteral("shown"));
    }

    void openLeavesPlaceAndSentenceBox() {
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.FileName = QStringLiteral("book.txt");
        port.text1 = QStringLiteral("shown");
        model.OpenfF();
        QCOMPARE(model.BookText, QStringLiteral("One. Two. Three. "));
        QCOMPARE(port.handedOver, QStringList{kInstruction});
        QCOMPARE(model.NextPos, 12.0);
        QCOMPARE(model.LastPos, 7.0);
        QCOMPARE(model.BookNum, 2);
        QCOMPARE(port.text1, QStringLiteral("shown"));
    }

    void chosenFileTypeTest_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("mixed case") << QStringLiteral("NOTES.TxT") << true;
        QTest::newRow(".txt inside the name") << QStringLiteral("archive.txt.bak") << true;
        QTest::newRow("other type") << QStringLiteral("readme.md") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void chosenFileTypeTest() {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.FileName = QStringLiteral("book.txt");
        model.BookText = QStringLiteral("One. Two. Three. ");
        port.text2 = QStringLiteral("book.txt");
        QCOMPARE(model.openChosenFile(name), accepted);
        if (accepted) {
            QCOMPARE(model.FileName, name);
            QCOMPARE(port.text2, name);
            QCOMPARE(model.NextPos, 0.0);
            QCOMPARE(model.LastPos, 7.0);
            QCOMPARE(model.BookNum, 0);
            for (int slot = 1; slot <= 100; ++slot)
                QCOMPARE(model.BookMarks[slot], 0.0);
            QCOMPARE(port.handedOver, QStringList{kInstruction});
        } else {
            // A refused file loses nothing: text, name, place and bookmarks stay.
            QCOMPARE(port.handedOver, QStringList{QStringLiteral(
                "Can not read this file type. Can only read files with an extension of dot t x t")});
            QCOMPARE(model.FileName, QStringLiteral("book.txt"));
            QCOMPARE(port.text2, QStringLiteral("book.txt"));
            QCOMPARE(model.BookText, QStringLiteral("One. Two. Three. "));
            QCOMPARE(model.NextPos, 12.0);
            QCOMPARE(model.BookNum, 2);
            QCOMPARE(model.BookMarks[2], 30.0);
        }
    }

    void chosenFileDeletedBeforeReading() {
        RecordingReaderPort port;
        ReaderModel model(port);
        QVERIFY(model.openChosenFile(m_dir.filePath(QStringLiteral("vanished.txt"))));
        QCOMPARE(port.messages, QStringList{QStringLiteral("Error loading file")});
        QVERIFY(model.BookText.isEmpty());
    }

    void typedPath_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same file, relative") << QStringLiteral("book.txt") << true;
        QTest::newRow("absolute") << m_dir.filePath(QStringLiteral("NOTES.TxT")) << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("wildcard matching a file") << QStringLiteral("*.txt") << false;
        QTest::newRow("question mark") << QStringLiteral("book.tx?") << false;
        QTest::newRow("bracket") << QStringLiteral("[b]ook.txt") << false;
        QTest::newRow("missing") << QStringLiteral("nothing.txt") << false;
        QTest::newRow("folder") << m_dir.path() << false;
    }
    void typedPath() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.FileName = QStringLiteral("book.txt");
        model.BookText = QStringLiteral("kept");
        QCOMPARE(model.openTypedPath(typed), accepted);
        // The place is kept either way.
        QCOMPARE(model.NextPos, 12.0);
        QCOMPARE(model.LastPos, 7.0);
        QCOMPARE(model.BookNum, 2);
        QCOMPARE(model.BookMarks[2], 30.0);
        if (accepted) {
            QCOMPARE(model.FileName, typed);
            QCOMPARE(port.handedOver, QStringList{kInstruction});
        } else {
            QCOMPARE(model.FileName, QStringLiteral("book.txt"));
            QCOMPARE(model.BookText, QStringLiteral("kept"));
            QCOMPARE(port.handedOver,
                     QStringList{QStringLiteral("You have entered an invalid file path, name or type.")});
        }
    }

    void poolPresentStartsFromTheBeginning() {
        QVERIFY(QFile::copy(kPoolsDir + QStringLiteral("/Extra Pool.txt"), QStringLiteral("Extra Pool.txt")));
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.GetKey();
        QVERIFY(model.openPool(QStringLiteral("Extra Pool.txt")));
        QCOMPARE(model.FileName, QStringLiteral("Extra Pool.txt"));
        QCOMPARE(port.text2, QStringLiteral("Extra Pool.txt"));
        QCOMPARE(model.NextPos, 0.0);
        QCOMPARE(model.LastPos, 7.0);
        QCOMPARE(model.BookNum, 0);
        QCOMPARE(model.BookMarks[1], 0.0);
        QCOMPARE(model.ContinuousPlay, -1);
        QCOMPARE(port.handedOver, QStringList{kInstruction});
        QVERIFY(!model.BookText.isEmpty());

        // The same pool again: from the beginning, bookmarks cleared.
        model.talk(1);
        model.setBookmark();
        QVERIFY(model.openPool(QStringLiteral("Extra Pool.txt")));
        QCOMPARE(model.NextPos, 0.0);
        QCOMPARE(model.BookMarks[1], 0.0);
    }

    void poolMissing() {
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.FileName = QStringLiteral("book.txt");
        model.BookText = QStringLiteral("kept");
        port.text2 = QStringLiteral("book.txt");
        QVERIFY(!model.openPool(QStringLiteral("General Pool.txt")));
        QCOMPARE(port.messages, QStringList{QStringLiteral("General Pool.txt not found")});
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(model.FileName, QStringLiteral("book.txt"));
        QCOMPARE(port.text2, QStringLiteral("book.txt"));
        QCOMPARE(model.BookText, QStringLiteral("kept"));
        QCOMPARE(model.NextPos, 12.0);
        QCOMPARE(model.BookMarks[2], 30.0);
    }

    void poolsReadAsQuestionAndAnswer_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("tech") << QStringLiteral("Tech Pool.txt");
        QTest::newRow("general") << QStringLiteral("General Pool.txt");
        QTest::newRow("extra") << QStringLiteral("Extra Pool.txt");
    }
    void poolsReadAsQuestionAndAnswer() {
        // Every sentence of a pool is one question with its answer on a line of its own.
        QFETCH(QString, name);
        RecordingReaderPort port;
        ReaderModel model(port);
        QVERIFY(loadBookText(kPoolsDir + u'/' + name, &model.BookText));
        int questions = 0;
        while (model.SayNextSentence()) {
            ++questions;
            const QStringList lines = port.text1.split(QStringLiteral("\r\n"));
            QCOMPARE(lines.size(), 2);
            QVERIFY2(lines[0].endsWith(QStringLiteral("? ")), qPrintable(port.text1));
            QVERIFY2(lines[1].startsWith(QStringLiteral("The answer is ")), qPrintable(port.text1));
            QVERIFY(lines[1].endsWith(u'.'));
        }
        QVERIFY(questions >= 20);
        QCOMPARE(model.NextPos, double(model.BookText.size()));  // only the last blank is left
    }

    void parseSeconds_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("seconds");  // -1: refused
        QTest::newRow("2.5 to even") << QStringLiteral("2.5") << 2;
        QTest::newRow("3.5 to even") << QStringLiteral("3.5") << 4;
        QTest::newRow("leading blank and words") << QStringLiteral(" 7 seconds") << 7;
        QTest::newRow("zero") << QStringLiteral("0") << 0;
        QTest::newRow("not a number") << QStringLiteral("abc") << 0;
        QTest::newRow("upper limit") << QStringLiteral("32") << 32;
        QTest::newRow("just over") << QStringLiteral("33") << -1;
        QTest::newRow("negative") << QStringLiteral("-1") << -1;
        QTest::newRow("huge") << QStringLiteral("99999999999999999999") << -1;
    }
    void parseSeconds() {
        QFETCH(QString, entry);
        QFETCH(int, seconds);
        const std::optional<int> parsed = ReaderModel::parseSeconds(entry);
        QCOMPARE(parsed, seconds < 0 ? std::nullopt : std::optional<int>(seconds));
    }

    void helpText() {
        const QString message = ReaderModel::helpMessage();
        const QString versionLine = QStringLiteral("Orasent version 1.1. \r\n");
        QVERIFY(message.startsWith(versionLine));
        const QString help = message.mid(versionLine.size());
        QCOMPARE(help.size(), 952);
        QVERIFY(help.startsWith(QStringLiteral("This program will read files with a .txt extension. ")));
        QVERIFY(help.endsWith(QStringLiteral("To set the number of seconds to pause between sentences click on seconds. ")));
        QVERIFY(help.contains(QStringLiteral("right click the talk button to replay the previous sentence. ")));
    }

    void helpShowsAndSpeaksWithoutMoving() {
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model);
        model.help();
        QCOMPARE(port.text1, ReaderModel::helpMessage());
        QCOMPARE(port.handedOver, QStringList{ReaderModel::helpMessage()});
        QCOMPARE(model.NextPos, 12.0);
        QCOMPARE(model.BookNum, 2);
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "test_commands.moc"
