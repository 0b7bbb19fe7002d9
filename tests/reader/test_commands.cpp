// Loading commands: Open File, the path box and the question pools.
#include "RecordingReaderPort.h"
#include "documents/BookTextLoader.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::RecordingReaderPort;

namespace {
const QString kInstruction = "Click the talk button to play each sentence. Or touch the space bar "
                             "to toggle continuous play on and off.";
const QString kPoolsDir = ORASENT_SOURCE_DATA_DIR "/data/pools";

// A model that has read into "book.txt", with bookmarks.
void putInPlace(ReaderModel& model, RecordingReaderPort& port) {
    model.setFileName(port.text2 = "book.txt");
    model.setBookText(port.text1 = "kept");
    model.setNextPos(12);
    model.setLastPos(7);
    model.setBookMarkAt(1, 7);
    model.setBookMarkAt(2, 30);
    model.setBookNum(2);
}
bool inPlace(const ReaderModel& m) {
    return m.nextPos() == 12 && m.lastPos() == 7 && m.bookNum() == 2 && m.bookMarks()[2] == 30;
}
} // namespace

class CommandsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_oldCurrent;

private slots:
    void initTestCase() {
        m_oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        for (const char* name : {"book.txt", "NOTES.TxT", "archive.txt.bak", "readme.rtf"}) {
            QFile file(name);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("One. Two. Three. ") > 0);
        }
    }
    void cleanupTestCase() { QDir::setCurrent(m_oldCurrent); }

    void openfF_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("bookText");
        QTest::addColumn<QStringList>("handedOver");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("loaded") << "book.txt"
                                << "One. Two. Three. " << QStringList{kInstruction}
                                << QStringList{};
        // A failed load keeps the text that was there.
        QTest::newRow("deleted since")
            << "gone.txt"
            << "kept" << QStringList{} << QStringList{"Error loading file"};
        QTest::newRow("no file name") << ""
                                      << ""
                                      << QStringList{"You have not designated a file to read. Go "
                                                     "to the File menu as open a text file"}
                                      << QStringList{};
    }
    void openfF() {
        QFETCH(QString, fileName);
        QFETCH(QString, bookText);
        QFETCH(QStringList, handedOver);
        QFETCH(QStringList, messages);
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model, port);
        model.setFileName(fileName);
        model.OpenfF();
        QCOMPARE(model.bookText(), bookText);
        QCOMPARE(port.handedOver, handedOver);
        QCOMPARE(port.messages, messages);
        QVERIFY(inPlace(model));
        QCOMPARE(port.text1, "kept");
    }

    void chosenFile_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QStringList>("messages");
        const QString refusal =
            "Can not read this file type. Can read text files, EPUB e-books, PDF files, Word and "
            "OpenDocument documents, web pages, Markdown files and pictures.";
        QTest::newRow("mixed case") << "NOTES.TxT" << true << kInstruction << QStringList{};
        QTest::newRow(".txt inside the name")
            << "archive.txt.bak" << true << kInstruction << QStringList{};
        QTest::newRow("deleted after the dialog")
            << "vanished.txt" << true << "" << QStringList{"Error loading file"};
        QTest::newRow("other type") << "readme.rtf" << false << refusal << QStringList{};
        QTest::newRow("empty") << "" << false << refusal << QStringList{};
    }
    void chosenFile() {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        QFETCH(QString, spoken);
        QFETCH(QStringList, messages);
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model, port);
        QCOMPARE(model.openChosenFile(name), accepted);
        QCOMPARE(port.handedOver, spoken.isEmpty() ? QStringList() : QStringList{spoken});
        QCOMPARE(port.messages, messages);
        if (accepted && messages.isEmpty()) { // a new reading: from the start, no bookmarks
            QCOMPARE(model.fileName(), name);
            QCOMPARE(port.text2, name);
            QCOMPARE(model.nextPos(), 0.0);
            QCOMPARE(model.lastPos(), 7.0);
            QCOMPARE(model.bookNum(), 0);
            QVERIFY(std::all_of(model.bookMarks().begin(), model.bookMarks().end(),
                                [](double m) { return m == 0; }));
        } else { // a refused or failed file loses nothing
            QCOMPARE(model.fileName(), "book.txt");
            QCOMPARE(port.text2, "book.txt");
            QCOMPARE(model.bookText(), "kept");
            QVERIFY(inPlace(model));
        }
    }

    void typedPath_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("same file, relative") << "book.txt" << true;
        QTest::newRow("absolute") << m_dir.filePath("NOTES.TxT") << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("wildcard matching a file") << "*.txt" << false;
        QTest::newRow("question mark") << "book.tx?" << false;
        QTest::newRow("bracket") << "[b]ook.txt" << false;
        QTest::newRow("missing") << "nothing.txt" << false;
        QTest::newRow("folder") << m_dir.path() << false;
    }
    void typedPath() {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model, port);
        QCOMPARE(model.openTypedPath(typed), accepted);
        QVERIFY(inPlace(model)); // the place is kept either way
        QCOMPARE(model.fileName(), accepted ? typed : "book.txt");
        QCOMPARE(model.bookText(), accepted ? "One. Two. Three. " : "kept");
        QCOMPARE(port.handedOver,
                 QStringList{accepted ? kInstruction
                                      : "You have entered an invalid file path, name or type."});
    }

    void pools() {
        RecordingReaderPort port;
        ReaderModel model(port);
        putInPlace(model, port);
        model.GetKey();
        QVERIFY(!model.openPool("Extra Pool.txt")); // missing: a message, nothing changes
        QCOMPARE(port.messages, QStringList{"Extra Pool.txt not found"});
        QVERIFY(port.handedOver.isEmpty());
        QCOMPARE(model.fileName(), "book.txt");
        QCOMPARE(port.text2, "book.txt");
        QCOMPARE(model.bookText(), "kept");
        QVERIFY(inPlace(model));

        QVERIFY(QFile::copy(kPoolsDir + "/Extra Pool.txt", "Extra Pool.txt"));
        for (int time = 0; time < 2; ++time) { // present, then already loaded: from the start
            const double lastShown = model.lastPos(); // kept by a new reading
            QVERIFY(model.openPool("Extra Pool.txt"));
            QCOMPARE(model.fileName(), "Extra Pool.txt");
            QCOMPARE(port.text2, "Extra Pool.txt");
            QCOMPARE(model.nextPos(), 0.0);
            QCOMPARE(model.lastPos(), lastShown);
            QCOMPARE(model.bookNum(), 0);
            QCOMPARE(model.bookMarks()[1], 0.0);
            QCOMPARE(model.playMode(), ReaderModel::PlayMode::Continuous);
            QCOMPARE(port.lastHandedOver(), kInstruction);
            QVERIFY(!model.bookText().isEmpty());
            model.talk(1);
            model.setBookmark();
        }
    }

    void shippedPoolsAreQuestionsAndAnswers_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"Tech Pool.txt", "General Pool.txt", "Extra Pool.txt"})
            QTest::newRow(name) << QString(name);
    }
    void shippedPoolsAreQuestionsAndAnswers() {
        // Every sentence of a pool is one question with its answer on a line of its own.
        QFETCH(QString, name);
        RecordingReaderPort port;
        ReaderModel model(port);
        QString pool;
        QVERIFY(loadBookText(kPoolsDir + u'/' + name, &pool));
        model.setBookText(pool);
        int questions = 0;
        for (; model.SayNextSentence(); ++questions) {
            const QStringList lines = port.text1.split("\r\n");
            QCOMPARE(lines.size(), 2);
            QVERIFY2(lines[0].endsWith("? ") && lines[1].startsWith("The answer is ") &&
                         lines[1].endsWith('.'),
                     qPrintable(port.text1));
        }
        QVERIFY(questions >= 20);
        QCOMPARE(model.nextPos(), double(model.bookText().size())); // only the last blank is left
    }
};

QTEST_GUILESS_MAIN(CommandsTest)
#include "test_commands.moc"
