// Type size, Open File, the path box, question pools, Help, TTS Setup, Exit and the bookmark
// buttons of the reader window.
#include "ReaderWindowFixture.h"
#include "common/ui/UserPrompts.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFCommands : public QObject {
    Q_OBJECT
private slots:
    void biggerAndSmaller() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
        f.open();
        QCOMPARE(f.text1()->font().pointSizeF(), 18.0);

        QTest::mouseClick(f.command(2), Qt::LeftButton);  // Smaller
        QCOMPARE(f.text1()->font().pointSizeF(), 8.0);
        QTRY_VERIFY(f.text1()->hasFocus());

        f.command(2)->setFocus(Qt::TabFocusReason);
        QTest::mouseClick(f.command(2), Qt::LeftButton);  // -2 points: refused
        QCOMPARE(f.text1()->font().pointSizeF(), 8.0);
        QVERIFY(f.command(2)->hasFocus());  // the focus stays

        QTest::mouseClick(f.command(1), Qt::LeftButton);  // Bigger
        QCOMPARE(f.text1()->font().pointSizeF(), 18.0);
        QTRY_VERIFY(f.text1()->hasFocus());
    }

    void fractionalSizeKeepsFourDecimals() {
        ReaderWindowFixture f;
        f.open(false);
        QFont font = f.text1()->font();
        font.setPointSizeF(20.25);
        f.text1()->setFont(font);
        QTest::mouseClick(f.command(1), Qt::LeftButton);
        QCOMPARE(f.text1()->font().pointSizeF(), 30.25);
    }

    void cancelledOpenFileChangesNothing() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. ");
        EnglishF& reader = f.open(false);
        ReaderModel& m = reader.model();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);
        const double nextPos = m.NextPos;
        const auto bookmarks = m.BookMarks;
        f.action("Openf")->trigger();  // no answer: cancelled
        QCOMPARE(f.prompts.openRequests.size(), 1);
        QCOMPARE(f.prompts.openRequests[0].directory, QDir::currentPath());
        QVERIFY(f.prompts.openRequests[0].filter.isEmpty());
        QCOMPARE(m.NextPos, nextPos);
        QCOMPARE(m.BookMarks, bookmarks);
        QCOMPARE(m.BookNum, 1);
        QCOMPARE(m.FileName, QStringLiteral("Tech Pool.txt"));
        QCOMPARE(f.text2()->text(), QStringLiteral("Tech Pool.txt"));
    }

    void openFileLoadsAndPutsTheWorkingFolderBack() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. ");
        QVERIFY(QDir().mkdir(QStringLiteral("books")));
        writeFile(QStringLiteral("books/Story.TXT"), "Once. Upon. ");
        EnglishF& reader = f.open(false);
        ReaderModel& m = reader.model();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);

        const QString home = QDir::currentPath();
        const QString chosen = QDir(home).absoluteFilePath(QStringLiteral("books/Story.TXT"));
        f.prompts.fileAnswers << chosen;
        // A dialog that moves the working folder.
        f.prompts.onOpenFile = [&](const OpenFileRequest&) { QDir::setCurrent(home + "/books"); };
        f.action("Openf")->trigger();
        QCOMPARE(QDir::currentPath(), home);
        QCOMPARE(m.FileName, chosen);
        QCOMPARE(f.text2()->text(), chosen);
        QCOMPARE(m.BookText, QStringLiteral("Once. Upon. "));
        QCOMPARE(m.NextPos, 0.0);
        QCOMPARE(m.BookNum, 0);
        QCOMPARE(m.BookMarks[1], 0.0);
        QVERIFY(!QApplication::overrideCursor());  // the busy pointer is gone again
    }

    void refusedFileTypeKeepsTheText() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. ");
        writeFile(QStringLiteral("readme.md"), "Other. ");
        EnglishF& reader = f.open(false);
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);
        f.prompts.fileAnswers << QDir::current().absoluteFilePath(QStringLiteral("readme.md"));
        f.action("Openf")->trigger();
        QCOMPARE(reader.model().FileName, QStringLiteral("Tech Pool.txt"));
        QCOMPARE(reader.model().BookMarks[1], 1.0);  // kept: the file was not accepted
        QCOMPARE(f.tts.spoken(), QStringLiteral("Can not read this file type. Can only read files "
                                                "with an extension of dot t x t"));
    }

    void pathBoxLosingFocus_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("spoken");
        const QString invalid = QStringLiteral("You have entered an invalid file path, name or type.");
        QTest::newRow("existing file") << "other.txt" << "other.txt"
                                       << "Click the talk button to play each sentence. Or touch "
                                          "the space bar to toggle continuous play on and off.";
        QTest::newRow("missing file") << "nothing.txt" << "Tech Pool.txt" << invalid;
        QTest::newRow("wildcard") << "*.txt" << "Tech Pool.txt" << invalid;
        QTest::newRow("empty") << "" << "Tech Pool.txt" << invalid;
    }
    void pathBoxLosingFocus() {
        QFETCH(QString, typed);
        QFETCH(QString, fileName);
        QFETCH(QString, spoken);
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. ");
        writeFile(QStringLiteral("other.txt"), "Other. ");
        EnglishF& reader = f.open();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        f.text2()->setFocus(Qt::MouseFocusReason);
        f.text2()->selectAll();
        QTest::keyClick(f.text2(), Qt::Key_Delete);
        QTest::keyClicks(f.text2(), typed);
        f.tts.SPKBX()->clear();
        f.command(5)->setFocus(Qt::TabFocusReason);
        QCOMPARE(reader.model().FileName, fileName);
        QCOMPARE(f.tts.spoken(), spoken);
        QCOMPARE(reader.model().NextPos, 5.0);  // the place is kept
    }

    void pools_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QString>("pool");
        QTest::newRow("Tech") << QByteArray("TQuestions") << "Tech Pool.txt";
        QTest::newRow("General") << QByteArray("Gquestions") << "General Pool.txt";
        QTest::newRow("Extra") << QByteArray("EQuestions") << "Extra Pool.txt";
    }
    void pools() {
        QFETCH(QByteArray, action);
        QFETCH(QString, pool);
        ReaderWindowFixture f;
        writeFile(QStringLiteral("start.txt"), "Start. Here. ");
        writeFile(QStringLiteral("Orasent.txt"), QByteArray(" 0 \r\n").repeated(104) + "start.txt\r\n");
        EnglishF& reader = f.open(false);
        ReaderModel& m = reader.model();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);

        // Missing: a message box, and nothing changes.
        f.action(action.constData())->trigger();
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, pool + QStringLiteral(" not found"));
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(m.FileName, QStringLiteral("start.txt"));
        QCOMPARE(f.text2()->text(), QStringLiteral("start.txt"));
        QCOMPARE(m.BookMarks[1], 1.0);

        // Present: it is loaded from its beginning without bookmarks.
        writeFile(pool, "Q? \r\nThe answer is A. ");
        f.action(action.constData())->trigger();
        QCOMPARE(m.FileName, pool);
        QCOMPARE(f.text2()->text(), pool);
        QCOMPARE(m.BookText, QStringLiteral("Q? \r\nThe answer is A. "));
        QCOMPARE(m.NextPos, 0.0);
        QCOMPARE(m.BookMarks[1], 0.0);
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("Q? \nThe answer is A."));
        QCOMPARE(f.tts.spoken(), QStringLiteral("Q? \r\nThe answer is A."));
    }

    void helpShowsAndSpeaks() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
        EnglishF& reader = f.open();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        f.clickMenuBar("HLP");
        const QString message = ReaderModel::helpMessage();
        QVERIFY(message.startsWith(QStringLiteral("Orasent version 1.1. \r\nThis program")));
        QCOMPARE(f.tts.spoken(), message);
        QCOMPARE(f.text1()->toPlainText(), QString(message).replace("\r\n", "\n"));
        QCOMPARE(reader.model().NextPos, 5.0);
        // Again speaks the help as it was handed over, CR LF and all.
        f.tts.SPKBX()->clear();
        QTest::mouseClick(f.command(5), Qt::LeftButton);
        QCOMPARE(f.tts.spoken(), message);
    }

    void ttsSetupAndExit() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
        EnglishF& reader = f.open();
        f.clickMenuBar("TTSSet");
        QCOMPARE(f.tts.showCalls, 1);
        const QString shown = f.text1()->toPlainText();
        f.action("Ex")->trigger();  // does nothing
        QVERIFY(reader.isVisible());
        QCOMPARE(f.text1()->toPlainText(), shown);
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(!QFile::exists(QStringLiteral("Orasent.txt")));
    }

    void bookmarkButtons() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. Three. Four. ");
        EnglishF& reader = f.open();
        ReaderModel& m = reader.model();
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);  // Set
        QCOMPARE(f.tts.spoken(), QStringLiteral("bookmark 1 set"));
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QTest::mouseClick(f.command(7), Qt::LeftButton);
        QCOMPARE(f.tts.spoken(), QStringLiteral("bookmark 2 set"));
        QTest::mouseClick(f.command(9), Qt::LeftButton);  // Prev
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("Bookmark number  1. \nOne."));
        QTRY_VERIFY(f.text1()->hasFocus());
        QTest::mouseClick(f.command(8), Qt::LeftButton);  // Next
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral("Bookmark number  2. \n Two."));
        QTest::mouseClick(f.command(10), Qt::LeftButton);  // Clear
        QCOMPARE(f.tts.spoken(), QStringLiteral("All bookmarks have been cleared"));
        QCOMPARE(m.BookMarks[1], 0.0);
        QTest::mouseClick(f.command(11), Qt::LeftButton);  // Set 25
        QCOMPARE(f.tts.spoken(), QStringLiteral("25 bookmarks have been set"));
        QCOMPARE(m.BookNum, 1);
        QCOMPARE(m.BookMarks[1], 1.0);
    }
};

QTEST_MAIN(TestEnglishFCommands)
#include "test_englishf_commands.moc"
