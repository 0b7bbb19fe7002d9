// The reader window's start-up, its controls, and the reading state kept between runs.
#include "ReaderWindowFixture.h"
#include "common/ui/UserPrompts.h"
#include "reader/StateFile.h"

#include <QFontInfo>
#include <QMenu>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartOpensTechPool() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "What is H2O? \r\nThe answer is water. \r\n");
        EnglishF& reader = f.open();

        QCOMPARE(reader.windowTitle(), QStringLiteral("Read Text"));
        QCOMPARE(f.text2()->text(), QStringLiteral("Tech Pool.txt"));
        QCOMPARE(reader.model().FileName, QStringLiteral("Tech Pool.txt"));
        QCOMPARE(reader.model().BookText,
                 QStringLiteral("What is H2O? \r\nThe answer is water. "));
        QCOMPARE(reader.model().NextPos, 0.0);
        QCOMPARE(reader.model().BookNum, 0);
        QCOMPARE(f.timer1()->interval(), 2000);
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(f.tts.loadCalls, 1);
        QCOMPARE(f.tts.sentenceBox, f.text1());
        QVERIFY(f.prompts.messages.isEmpty());
        QCOMPARE(f.tts.spoken(), QStringLiteral("Click the talk button to play each sentence. Or "
                                                "touch the space bar to toggle continuous play on "
                                                "and off."));
        // The start-up text ends in a line break.
        QCOMPARE(f.text1()->toPlainText(),
                 QStringLiteral("Click the talk button to play each sentence. Or touch the space "
                                "bar to toggle continuous play on and off.\n"));
    }

    void captionsAndNames_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Command1") << 1 << "&Bigger";
        QTest::newRow("Command2") << 2 << "&Smaller";
        QTest::newRow("Command3") << 3 << "&Talk";
        QTest::newRow("Command4") << 4 << "St&op";
        QTest::newRow("Command5") << 5 << "&Again";
        QTest::newRow("Command6") << 6 << "&Quit";
        QTest::newRow("Command7") << 7 << " S&et Bookmark";
        QTest::newRow("Command8") << 8 << "&Next Bookmark";
        QTest::newRow("Command9") << 9 << "&Prev Bookmark";
        QTest::newRow("Command10") << 10 << "&Clear Bookmarks";
        QTest::newRow("Command11") << 11 << "Set &25 Bookmarks";
    }
    void captionsAndNames() {
        QFETCH(int, command);
        QFETCH(QString, caption);
        ReaderWindowFixture f;
        f.open(false);
        QPushButton* button = f.command(command);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->font().pointSizeF(), 24.0);
        QVERIFY(QFontInfo(button->font()).weight() >= QFont::Bold);
    }

    void fontsStayHeavy() {
        ReaderWindowFixture f;
        f.open(false);
        QCOMPARE(f.text1()->font().pointSizeF(), 18.0);
        QCOMPARE(f.text2()->font().pointSizeF(), 20.25);
        // Whatever family stands in for Arial Black, the type is bold.
        QVERIFY(QFontInfo(f.text1()->font()).weight() >= QFont::Bold);
        QVERIFY(QFontInfo(f.text2()->font()).weight() >= QFont::Bold);
        QVERIFY(f.text1()->font().families().startsWith(QStringLiteral("Arial Black")));
    }

    void menuBar() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open(false);
        QStringList topLevel;
        for (QAction* item : reader.menuBar()->actions())
            topLevel << item->text();
        QCOMPARE(topLevel, (QStringList{"File", "TTS Setup", "Seconds ", "Help"}));
        QMenu* file = reader.findChild<QMenu*>(QStringLiteral("FF"));
        QVERIFY(file);
        QStringList fileItems, names;
        for (QAction* item : file->actions()) {
            fileItems << item->text();
            names << item->objectName();
        }
        QCOMPARE(fileItems, (QStringList{"Open File", "Open Tech Question", "Open General Question",
                                         "Open Extra Questions", "Exit"}));
        QCOMPARE(names, (QStringList{"Openf", "TQuestions", "Gquestions", "EQuestions", "Ex"}));
        QVERIFY(f.action("TTSSet") && f.action("Secs") && f.action("HLP"));
    }

    void layoutFollowsTheScreen() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open(false);
        const double dpi = reader.screen()->logicalDotsPerInch();
        const QRect screen = reader.screen()->geometry();
        const double swTwips = screen.width() * 1440.0 / dpi;
        const double shTwips = screen.height() * 1440.0 / dpi;
        auto px = [dpi](double twips) { return int(std::lround(twips * dpi / 1440)); };
        QCOMPARE(reader.size(), screen.size());
        const double h = shTwips / 11;
        QCOMPARE(f.command(1)->geometry(),
                 QRect(px(swTwips - 4510), 0, px(2055), px(h)));
        QCOMPARE(f.command(4)->geometry().top(), px(h + 200));
        QCOMPARE(f.command(11)->geometry().left(), f.command(1)->geometry().left());
        QCOMPARE(f.text1()->height(), px(shTwips - 1815));
        QCOMPARE(f.text1()->width(), px(swTwips - 4510 - 100));
        QCOMPARE(f.text2()->geometry(), QRect(0, px(shTwips - 1715), px(swTwips - 4735), px(615)));
    }

    void closeSavesAndRestartRestores() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("book, one.txt"), "One. Two. Three. Four. ");
        writeFile(QStringLiteral("Tech Pool.txt"), "Pool. ");
        writeFile(QStringLiteral("Orasent.txt"), QByteArray());  // empty: defaults
        {
            EnglishF& reader = f.open();
            ReaderModel& m = reader.model();
            f.text2()->setFocus(Qt::MouseFocusReason);
            f.text2()->selectAll();
            QTest::keyClicks(f.text2(), QStringLiteral("book, one.txt"));
            f.text1()->setFocus(Qt::TabFocusReason);  // the path box loses focus: the file loads
            QCOMPARE(m.FileName, QStringLiteral("book, one.txt"));
            QTest::mousePress(f.command(3), Qt::LeftButton);
            QTest::mousePress(f.command(3), Qt::LeftButton);
            QCOMPARE(m.LastPos, 5.0);
            QTest::mouseClick(f.command(7), Qt::LeftButton);  // bookmark 1 at 5
            m.BookMarks[7] = 10.04;
            QTest::mouseClick(f.command(1), Qt::LeftButton);  // 28 points
            m.Seconds = 3;
            reader.close();
            QCOMPARE(f.tts.unloadCalls, 1);
            QVERIFY(!f.timer1()->isActive());
        }
        QVERIFY(QFile::exists(QStringLiteral("Orasent.txt")));
        QVERIFY(f.prompts.messages.isEmpty());

        EnglishF& again = f.open(false);
        const ReaderModel& m = again.model();
        QCOMPARE(m.NextPos, 5.0);
        QCOMPARE(m.LastPos, 5.0);
        QCOMPARE(m.BookMarks[1], 5.0);
        QCOMPARE(m.BookMarks[7], 10.04);
        QCOMPARE(m.BookMarks[2], 0.0);
        QCOMPARE(m.BookNum, 1);
        QCOMPARE(m.FileName, QStringLiteral("book, one.txt"));
        QCOMPARE(f.text2()->text(), QStringLiteral("book, one.txt"));
        QCOMPARE(f.text1()->font().pointSizeF(), 28.0);
        QCOMPARE(m.Seconds, 3);
        QCOMPARE(f.timer1()->interval(), 3000);
        // The next Talk repeats the sentence last shown.
        QTest::mousePress(f.command(3), Qt::LeftButton);
        QCOMPARE(f.text1()->toPlainText(), QStringLiteral(" Two."));
    }

    void failedSaveIsReported() {
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
        EnglishF& reader = f.open(false);
        QVERIFY(QDir().mkdir(QStringLiteral("Orasent.txt")));  // nothing can replace a folder
        reader.close();
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains(QStringLiteral("Orasent.txt")));
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(f.tts.unloadCalls, 1);  // the speech window is still unloaded
    }

    void restoredValues_data() {
        QTest::addColumn<QByteArray>("stateFile");
        QTest::addColumn<double>("fontSize");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("timerActive");
        QByteArray lines;
        for (int i = 0; i < 105; ++i)
            lines += i == 2 ? " 24.5 \r\n" : i == 104 ? "Tech Pool.txt\r\n" : " 0 \r\n";
        QTest::newRow("105 lines: timer keeps 2000 ms") << lines << 24.5 << 2000 << true;
        QTest::newRow("line 106 holding 0 stops the timer")
            << lines + "0\r\n\r\n 1 \r\n" << 24.5 << 0 << false;
        QTest::newRow("line 106 of 40 is clamped to 32")
            << lines + "40\r\n\r\n 1 \r\n" << 24.5 << 32000 << true;
        QByteArray hugeFont = lines;
        hugeFont.replace(" 24.5 ", " 1E+300 ");
        QTest::newRow("absurd type size keeps 18 points") << hugeFont << 18.0 << 2000 << true;
        QByteArray zeroFont = lines;
        zeroFont.replace(" 24.5 ", " 0 ");
        QTest::newRow("type size 0 keeps 18 points") << zeroFont << 18.0 << 2000 << true;
        QTest::newRow("binary junk") << QByteArray("\0\xff\x01garbage\r\n", 12) << 18.0 << 2000
                                     << true;
    }
    void restoredValues() {
        QFETCH(QByteArray, stateFile);
        QFETCH(double, fontSize);
        QFETCH(int, interval);
        QFETCH(bool, timerActive);
        ReaderWindowFixture f;
        writeFile(QStringLiteral("Tech Pool.txt"), "One. Two. ");
        writeFile(QStringLiteral("Orasent.txt"), stateFile);
        f.open(false);
        QCOMPARE(f.text1()->font().pointSizeF(), fontSize);
        QCOMPARE(f.timer1()->interval(), interval);
        QCOMPARE(f.timer1()->isActive(), timerActive);
        QCOMPARE(f.reader->model().ReservedNum, 1);
    }

    void missingTextFileIsReportedAtStartUp() {
        ReaderWindowFixture f;
        QByteArray lines;
        for (int i = 0; i < 104; ++i)
            lines += i < 2 ? " 7 \r\n" : " 0 \r\n";
        writeFile(QStringLiteral("Orasent.txt"), lines + "gone away.txt\r\n");
        EnglishF& reader = f.open(false);
        QCOMPARE(f.text2()->text(), QStringLiteral("gone away.txt"));
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, QStringLiteral("Error loading file"));
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QVERIFY(reader.model().BookText.isEmpty());
        QCOMPARE(reader.model().NextPos, 7.0);
    }
};

QTEST_MAIN(TestEnglishFStartup)
#include "test_englishf_startup.moc"
