// Type size, Quit, Open File, the path box, question pools, Help, TTS Setup, Exit and the
// bookmark buttons of the reader window.
#include "ReaderWindowFixture.h"
#include "common/ui/UserPrompts.h"
#include "reader/StateFile.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFCommands : public QObject {
    Q_OBJECT
private slots:
    void typeSizeAndQuit() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.talk();
        f.talk();
        f.click(2); // Smaller: 18 -> 8
        QCOMPARE(f.text1()->font().pointSizeF(), 8.0);
        QTRY_VERIFY(f.text1()->hasFocus());
        f.command(2)->setFocus(Qt::TabFocusReason);
        f.click(2); // -2 points: refused, the focus stays
        QCOMPARE(f.text1()->font().pointSizeF(), 8.0);
        QVERIFY(f.command(2)->hasFocus());
        f.click(1); // Bigger
        QCOMPARE(f.text1()->font().pointSizeF(), 18.0);
        QTRY_VERIFY(f.text1()->hasFocus());
        QFont font = f.text1()->font();
        font.setPointSizeF(20.25);
        f.text1()->setFont(font);
        f.click(1);
        QCOMPARE(f.text1()->font().pointSizeF(), 30.25); // four decimals kept

        f.click(6); // Quit
        QVERIFY(!reader.isVisible());
        QCOMPARE(f.tts.unloadCalls, 1);
        QCOMPARE(f.tts.stopVoiceCalls, 2); // Quit itself does not silence speech
        const SavedReadingState saved = readStateFile("Orasent.txt");
        QCOMPARE(saved.nextPos, std::optional<double>(5.0));
        QCOMPARE(saved.fontSize, std::optional<double>(30.25));
        QCOMPARE(saved.fileName, std::optional<QString>("Tech Pool.txt"));
        QVERIFY(saved.timerLineRead);
    }

    void openFile_data() {
        QTest::addColumn<QString>("answer"); // empty: cancelled
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("bookText");
        QTest::addColumn<double>("bookmark1");
        QTest::addColumn<QString>("spoken");
        const QString tech = "Tech Pool.txt", text = "One. Two. Three. Four. ";
        QTest::newRow("cancelled") << "" << tech << text << 1.0 << "bookmark 1 set";
        QTest::newRow("refused type")
            << "readme.rtf" << tech << text << 1.0
            << "Can not read this file type. Can read text files, EPUB e-books, PDF files, Word "
               "and OpenDocument documents, web pages, Markdown files and pictures.";
        QTest::newRow("accepted")
            << "books/Story.TXT"
            << "books/Story.TXT"
            << "Once. Upon. " << 0.0
            << "Click the talk button to play each sentence. Or touch the space bar to "
               "toggle continuous play on and off.";
    }
    void openFile() {
        QFETCH(QString, answer);
        QFETCH(QString, fileName);
        QFETCH(QString, bookText);
        QFETCH(double, bookmark1);
        QFETCH(QString, spoken);
        ReaderWindowFixture f;
        QVERIFY(QDir().mkdir("books"));
        writeFile("books/Story.TXT", "Once. Upon. ");
        writeFile("readme.rtf", "Other. ");
        f.open(false);
        f.talk();
        f.click(7);
        const QString home = QDir::currentPath();
        if (!answer.isEmpty())
            f.prompts.fileAnswers << QDir(home).absoluteFilePath(answer);
        f.prompts.onOpenFile = [&](const OpenFileRequest&) { QDir::setCurrent(home + "/books"); };
        f.action("Openf")->trigger();
        QCOMPARE(f.prompts.openRequests.size(), 1);
        QCOMPARE(f.prompts.openRequests[0].directory, home);
        QVERIFY(f.prompts.openRequests[0].filter.isEmpty());
        QCOMPARE(QDir::currentPath(), home); // the dialog's folder change is undone
        const QString path =
            fileName == "Tech Pool.txt" ? fileName : QDir(home).absoluteFilePath(fileName);
        QCOMPARE(f.model().fileName(), path);
        QCOMPARE(f.text2()->text(), path);
        QCOMPARE(f.model().bookText(), bookText);
        QCOMPARE(f.model().bookMarks()[1], bookmark1);
        QCOMPARE(f.model().nextPos(), bookmark1 ? 5.0 : 0.0);
        QCOMPARE(f.tts.spoken(), spoken);
        QVERIFY(!QApplication::overrideCursor()); // the busy pointer is gone again
    }

    void pathBoxLosingFocus_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("spoken");
        const QString invalid = "You have entered an invalid file path, name or type.";
        QTest::newRow("existing file") << "other.txt"
                                       << "other.txt"
                                       << "Click the talk button to play each sentence. Or touch "
                                          "the space bar to toggle continuous play on and off.";
        QTest::newRow("wildcard") << "*.txt"
                                  << "Tech Pool.txt" << invalid;
    }
    void pathBoxLosingFocus() {
        QFETCH(QString, typed);
        QFETCH(QString, fileName);
        QFETCH(QString, spoken);
        ReaderWindowFixture f;
        writeFile("other.txt", "Other. ");
        f.open();
        f.talk();
        f.text2()->setFocus(Qt::MouseFocusReason);
        f.text2()->selectAll();
        QTest::keyClick(f.text2(), Qt::Key_Delete);
        QTest::keyClicks(f.text2(), typed);
        f.tts.takeSpeakBox();
        f.command(5)->setFocus(Qt::TabFocusReason);
        QCOMPARE(f.model().fileName(), fileName);
        QCOMPARE(f.tts.spoken(), spoken);
        QCOMPARE(f.model().nextPos(), 5.0); // the place is kept
    }

    void pools() {
        ReaderWindowFixture f;
        writeFile("start.txt", "Start. Here. ");
        writeFile("Orasent.txt", QByteArray(" 0 \r\n").repeated(104) + "start.txt\r\n");
        f.open(false, QByteArray());
        f.talk();
        f.click(7);
        for (const char* action : {"TQuestions", "Gquestions", "EQuestions"})
            f.action(action)->trigger(); // missing: a message box each, and nothing changes
        QCOMPARE(f.prompts.messages.size(), 3);
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(f.prompts.messages[0].text + f.prompts.messages[1].text +
                     f.prompts.messages[2].text,
                 "Tech Pool.txt not foundGeneral Pool.txt not foundExtra Pool.txt not found");
        QCOMPARE(f.model().fileName(), "start.txt");
        QCOMPARE(f.text2()->text(), "start.txt");
        QCOMPARE(f.model().bookMarks()[1], 1.0);

        writeFile("General Pool.txt", "Q? \r\nThe answer is A. ");
        f.action("Gquestions")->trigger(); // present: loaded from its beginning without bookmarks
        QCOMPARE(f.text2()->text(), "General Pool.txt");
        QCOMPARE(f.model().nextPos(), 0.0);
        QCOMPARE(f.model().bookMarks()[1], 0.0);
        f.talk();
        QCOMPARE(f.text1()->toPlainText(), "Q? \nThe answer is A.");
        QCOMPARE(f.tts.spoken(), "Q? \r\nThe answer is A.");
    }

    void help() {
        ReaderWindowFixture f;
        f.open();
        f.talk();
        f.clickMenuBar("HLP");
        const QString message = f.tts.spoken();
        QVERIFY(message.startsWith(
            "Orasent version 1.1. \r\nThis program will read files with a .txt extension. "));
        QCOMPARE(message.size(), 23 + 952);
        // The help text exactly as written, ending in a blank.
        QCOMPARE(
            QCryptographicHash::hash(message.mid(23).toUtf8(), QCryptographicHash::Sha1).toHex(),
            "c5b69a6e995130fac77c7d0f589a2532957d26c9");
        QCOMPARE(f.text1()->toPlainText(), QString(message).replace("\r\n", "\n"));
        QCOMPARE(f.model().nextPos(), 5.0);
        f.tts.takeSpeakBox();
        f.click(5); // Again speaks the help as it was handed over, CR LF and all
        QCOMPARE(f.tts.spoken(), message);
    }

    void ttsSetupAndExit() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open();
        f.clickMenuBar("TTSSet");
        QCOMPARE(f.tts.showCalls, 1);
        const QString shown = f.text1()->toPlainText();
        f.action("Ex")->trigger(); // does nothing
        QVERIFY(reader.isVisible());
        QCOMPARE(f.text1()->toPlainText(), shown);
        QVERIFY(f.prompts.messages.isEmpty());
        QVERIFY(!QFile::exists("Orasent.txt"));
    }

    void bookmarkButtons() {
        ReaderWindowFixture f;
        f.open();
        f.talk();
        f.click(7); // Set
        QCOMPARE(f.tts.spoken(), "bookmark 1 set");
        f.talk();
        f.click(7);
        QCOMPARE(f.tts.spoken(), "bookmark 2 set");
        f.click(9); // Prev
        QCOMPARE(f.text1()->toPlainText(), "Bookmark number  1. \nOne.");
        QTRY_VERIFY(f.text1()->hasFocus());
        f.click(8); // Next
        QCOMPARE(f.text1()->toPlainText(), "Bookmark number  2. \n Two.");
        f.click(10); // Clear
        QCOMPARE(f.tts.spoken(), "All bookmarks have been cleared");
        QCOMPARE(f.model().bookMarks()[1], 0.0);
        f.click(11); // Set 25
        QCOMPARE(f.tts.spoken(), "25 bookmarks have been set");
        QCOMPARE(f.model().bookMarks()[1], 1.0);
    }
};

QTEST_MAIN(TestEnglishFCommands)
#include "test_englishf_commands.moc"
