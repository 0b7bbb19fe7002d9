// The reader window's start-up, its controls, and the reading state kept between runs.
#include "ReaderWindowFixture.h"
#include "ZipBuilder.h"
#include "common/ui/UserPrompts.h"
#include "reader/ui/ReaderLayout.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QMenu>
#include <QScreen>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TestEnglishFStartup : public QObject {
    Q_OBJECT
private slots:
    void firstStartOpensTechPool() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open(true, "What is H2O? \r\nThe answer is water. \r\n");
        QCOMPARE(reader.windowTitle(), "Read Text");
        QCOMPARE(f.text2()->text(), "Tech Pool.txt");
        QCOMPARE(f.model().fileName(), "Tech Pool.txt");
        QCOMPARE(f.model().bookText(), "What is H2O? \r\nThe answer is water. ");
        QCOMPARE(f.model().nextPos(), 0.0);
        QCOMPARE(f.model().bookNum(), 0);
        QCOMPARE(f.timer1()->interval(), 2000);
        QVERIFY(f.timer1()->isActive());
        QCOMPARE(f.tts.loadCalls, 1);
        QCOMPARE(f.tts.sentenceBox, f.text1());
        QVERIFY(f.prompts.messages.isEmpty());
        const QString start = "Click the talk button to play each sentence. Or touch the space bar "
                              "to toggle continuous play on and off.";
        QCOMPARE(f.tts.spoken(), start);
        QCOMPARE(f.text1()->toPlainText(), start + '\n'); // the start-up text ends in a line break
    }

    void controls() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open(false);
        QStringList captions;
        for (int n = 1; n <= 11; ++n) {
            captions << f.command(n)->text();
            QCOMPARE(f.command(n)->font().pointSizeF(), 24.0);
            QVERIFY(QFontInfo(f.command(n)->font()).weight() >= QFont::Bold);
        }
        QCOMPARE(captions, (QStringList{"&Bigger", "&Smaller", "&Talk", "St&op", "&Again", "&Quit",
                                        " S&et Bookmark", "&Next Bookmark", "&Prev Bookmark",
                                        "&Clear Bookmarks", "Set &25 Bookmarks"}));
        // Whatever family stands in for Arial Black, the type is bold.
        QCOMPARE(f.text1()->font().pointSizeF(), 18.0);
        QCOMPARE(f.text2()->font().pointSizeF(), 20.25);
        QVERIFY(f.text1()->font().families().startsWith("Arial Black"));
        QVERIFY(QFontInfo(f.text1()->font()).weight() >= QFont::Bold);
        QVERIFY(QFontInfo(f.text2()->font()).weight() >= QFont::Bold);

        QStringList menu, fileItems, names;
        for (QAction* item : reader.menuBar()->actions())
            menu << item->text() << item->objectName();
        QCOMPARE(menu, (QStringList{"File", "FF", "TTS Setup", "TTSSet", "Seconds ", "Secs",
                                    "Too&ls", "ToolsMenu", "Help", "HLP"}));
        for (QAction* item : reader.findChild<QMenu*>("FF")->actions())
            fileItems << item->text(), names << item->objectName();
        QCOMPARE(fileItems, (QStringList{"Open File", "Open Tech Question", "Open General Question",
                                         "Open Extra Questions", "Exit"}));
        QCOMPARE(names, (QStringList{"Openf", "TQuestions", "Gquestions", "EQuestions", "Ex"}));

        // The layout worked out for this screen is the one applied.
        const double dpi = reader.screen()->logicalDotsPerInch();
        const QRect screen = reader.screen()->geometry();
        const ReaderLayout layout = computeReaderLayout(pixelsToTwips(screen.width(), dpi),
                                                        pixelsToTwips(screen.height(), dpi));
        auto px = [dpi](const TwipRect& r) {
            return QRect(twipsToPixels(r.left, dpi), twipsToPixels(r.top, dpi),
                         twipsToPixels(r.width, dpi), twipsToPixels(r.height, dpi));
        };
        QCOMPARE(reader.size(), screen.size());
        for (int n = 1; n <= 11; ++n)
            QCOMPARE(f.command(n)->geometry(), px(layout.command[n]));
        QCOMPARE(f.text1()->geometry(), px(layout.text1));
        QCOMPARE(f.text2()->geometry(), px(layout.text2));
    }

    void closeSavesAndRestartRestores() {
        ReaderWindowFixture f;
        writeFile("book, one.txt", "One. Two. Three. Four. ");
        writeFile("Orasent.txt", QByteArray()); // empty: defaults
        {
            EnglishF& reader = f.open();
            ReaderModel& m = f.model();
            f.text2()->setFocus(Qt::MouseFocusReason);
            f.text2()->selectAll();
            QTest::keyClicks(f.text2(), "book, one.txt");
            f.text1()->setFocus(Qt::TabFocusReason); // the path box loses focus: the file loads
            QCOMPARE(m.fileName(), "book, one.txt");
            f.talk();
            f.talk();
            f.click(7); // bookmark 1 at 5
            m.setBookMarkAt(7, 10.04);
            f.click(1); // 28 points
            m.setSeconds(3);
            reader.close();
            QCOMPARE(f.tts.unloadCalls, 1);
            QVERIFY(!f.timer1()->isActive());
        }
        QVERIFY(f.prompts.messages.isEmpty());

        f.open(false);
        const ReaderModel& m = f.model();
        QCOMPARE(m.nextPos(), 5.0);
        QCOMPARE(m.lastPos(), 5.0);
        QCOMPARE(m.bookMarks()[1], 5.0);
        QCOMPARE(m.bookMarks()[7], 10.04);
        QCOMPARE(m.bookMarks()[2], 0.0);
        QCOMPARE(m.bookNum(), 1);
        QCOMPARE(m.fileName(), "book, one.txt");
        QCOMPARE(f.text2()->text(), "book, one.txt");
        QCOMPARE(f.text1()->font().pointSizeF(), 28.0);
        QCOMPARE(m.seconds(), 3);
        QCOMPARE(f.timer1()->interval(), 3000);
        f.talk(); // the next Talk repeats the sentence last shown
        QCOMPARE(f.text1()->toPlainText(), " Two.");
    }

    void failedSaveIsReported() {
        ReaderWindowFixture f;
        EnglishF& reader = f.open(false);
        QVERIFY(QDir().mkdir("Orasent.txt")); // nothing can replace a folder
        reader.close();
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains("Orasent.txt"));
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QCOMPARE(f.tts.unloadCalls, 1); // the speech window is still unloaded
    }

    void restoredValues_data() {
        QTest::addColumn<QByteArray>("stateFile");
        QTest::addColumn<double>("fontSize");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("timerActive");
        const QByteArray zeros = QByteArray(" 0 \r\n").repeated(101);
        const QByteArray lines = " 0 \r\n 0 \r\n 24.5 \r\n" + zeros + "Tech Pool.txt\r\n";
        QTest::newRow("105 lines: timer keeps 2000 ms") << lines << 24.5 << 2000 << true;
        QTest::newRow("line 106 holding 0 keeps 2000 ms") << lines + "0\r\n\r\n 1 \r\n"
                                                          << 24.5 << 2000 << true;
        QTest::newRow("line 106 of 40 is clamped to 32") << lines + "40\r\n\r\n 1 \r\n"
                                                         << 24.5 << 32000 << true;
        QTest::newRow("absurd type size keeps 18 points")
            << QByteArray(lines).replace(" 24.5 ", " 1E+300 ") << 18.0 << 2000 << true;
        QTest::newRow("type size 0 keeps 18 points")
            << QByteArray(lines).replace(" 24.5 ", " 0 ") << 18.0 << 2000 << true;
        QTest::newRow("binary junk")
            << QByteArray("\0\xff\x01garbage\r\n", 12) << 18.0 << 2000 << true;
    }
    void restoredValues() {
        QFETCH(QByteArray, stateFile);
        QFETCH(double, fontSize);
        QFETCH(int, interval);
        QFETCH(bool, timerActive);
        ReaderWindowFixture f;
        writeFile("Orasent.txt", stateFile);
        f.open(false);
        QCOMPARE(f.text1()->font().pointSizeF(), fontSize);
        QCOMPARE(f.timer1()->interval(), interval);
        QCOMPARE(f.timer1()->isActive(), timerActive);
        QCOMPARE(f.model().reservedNum(), 1);
        QCOMPARE(f.text2()->text(), "Tech Pool.txt");
    }

    void missingTextFileIsReportedAtStartUp() {
        ReaderWindowFixture f;
        writeFile("Orasent.txt",
                  " 7 \r\n 7 \r\n" + QByteArray(" 0 \r\n").repeated(102) + "gone away.txt\r\n");
        f.open(false);
        QCOMPARE(f.text2()->text(), "gone away.txt");
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.prompts.messages[0].text, "Error loading file");
        QCOMPARE(f.prompts.messages[0].title, programTitle());
        QVERIFY(f.model().bookText().isEmpty());
        QCOMPARE(f.model().nextPos(), 7.0);
    }

    // A damaged e-book named on the command line (its second chapter a zip bomb, lying about
    // its size, or past the character limit): the message, then the saved document is read
    // at its place, and "Orasent.txt" is left as it was.
    void damagedStartupFileReadsSaved_data() {
        QTest::addColumn<QByteArray>("book");
        const QByteArray one = "<html><body><p>Chapter. First words of the book.</p></body></html>";
        const auto epub = [&](const QByteArray& two) {
            const QByteArray opf =
                "<package xmlns=\"http://www.idpf.org/2007/opf\"><manifest>"
                "<item id=\"a\" href=\"one.xhtml\" media-type=\"application/xhtml+xml\"/>"
                "<item id=\"b\" href=\"two.xhtml\" media-type=\"application/xhtml+xml\"/>"
                "</manifest><spine><itemref idref=\"a\"/><itemref idref=\"b\"/></spine>"
                "</package>";
            return buildZip({{"mimetype", "application/epub+zip"},
                             {"META-INF/container.xml",
                              "<container><rootfiles><rootfile full-path=\"book.opf\"/>"
                              "</rootfiles></container>"},
                             {"book.opf", opf},
                             {"one.xhtml", one},
                             {"two.xhtml", two}});
        };
        const QByteArray two =
            "<html><body><p>" + QByteArray("Word. ").repeated(1000) + "</p></body></html>";
        QByteArray bomb = epub(two);
        declareUnpackedSize(&bomb, "two.xhtml", 40u << 20);
        QByteArray lying = epub(two);
        declareUnpackedSize(&lying, "two.xhtml", 300u << 20);
        QTest::newRow("zip bomb") << bomb;
        QTest::newRow("lying size") << lying;
        // Numbered sentences pack loosely enough to pass the packing check.
        QByteArray many = "<html><body><p>";
        many.reserve(70'000'000);
        for (int i = 0; many.size() < 68'000'000; ++i)
            many += "Line " + QByteArray::number(qint64(i) * 7919) + ". ";
        QTest::newRow("over the character limit") << epub(many + "</p></body></html>");
    }
    void damagedStartupFileReadsSaved() {
        QFETCH(QByteArray, book);
        ReaderWindowFixture f;
        writeFile("saved.txt", "One. Two. Three. Four. ");
        writeFile("bad.epub", book);
        {
            EnglishF& reader = f.open(false);
            f.model().setFileName("saved.txt");
            f.model().OpenfF();
            f.talk();
            f.talk();
            f.click(7); // a bookmark where the reader stopped
            reader.close();
        }
        QFile stateFile("Orasent.txt");
        QVERIFY(stateFile.open(QIODevice::ReadOnly));
        const QByteArray saved = stateFile.readAll();
        stateFile.close();
        f.prompts.messages.clear();
        f.beforeLoad = [](EnglishF& reader) {
            reader.setStartupFile(QFileInfo("bad.epub").absoluteFilePath());
        };
        EnglishF& reader = f.open(false);
        QCOMPARE(f.prompts.messages.size(), 1);
        QCOMPARE(f.model().fileName(), "saved.txt");
        QCOMPARE(f.text2()->text(), "saved.txt");
        QCOMPARE(f.model().bookText(), "One. Two. Three. Four. ");
        QCOMPARE(f.model().bookNum(), 1);
        f.talk(); // the sentence last shown, as after any restart
        QCOMPARE(f.text1()->toPlainText(), " Two.");
        reader.close();
        QVERIFY(stateFile.open(QIODevice::ReadOnly));
        QCOMPARE(stateFile.readAll(), saved);
    }
};

QTEST_MAIN(TestEnglishFStartup)
#include "test_englishf_startup.moc"
