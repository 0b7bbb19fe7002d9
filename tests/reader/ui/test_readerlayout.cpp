// Where the reader window's controls go, in twips, for a given screen.
#include "reader/ui/ReaderLayout.h"

#include <QtTest>

using namespace orasent;

class TestReaderLayout : public QObject {
    Q_OBJECT
private slots:
    void buttonRows_data() {
        QTest::addColumn<int>("command");
        QTest::addColumn<double>("left");
        QTest::addColumn<double>("top");
        QTest::addColumn<double>("width");
        // A screen of 28800 x 16500 twips: button height 1500, rows 1700 apart.
        QTest::newRow("Command1") << 1 << 24290.0 << 0.0 << 2055.0;
        QTest::newRow("Command2") << 2 << 26545.0 << 0.0 << 2055.0;
        QTest::newRow("Command3") << 3 << 24290.0 << 1700.0 << 2055.0;
        QTest::newRow("Command4") << 4 << 26545.0 << 1700.0 << 2055.0;
        QTest::newRow("Command5") << 5 << 24290.0 << 3400.0 << 2055.0;
        QTest::newRow("Command6") << 6 << 26545.0 << 3400.0 << 2055.0;
        QTest::newRow("Command7") << 7 << 24290.0 << 5100.0 << 4335.0;
        QTest::newRow("Command8") << 8 << 24290.0 << 6800.0 << 4335.0;
        QTest::newRow("Command9") << 9 << 24290.0 << 8500.0 << 4335.0;
        QTest::newRow("Command10") << 10 << 24290.0 << 10200.0 << 4335.0;
        QTest::newRow("Command11") << 11 << 24290.0 << 11900.0 << 4335.0;
    }
    void buttonRows() {
        QFETCH(int, command);
        QFETCH(double, left);
        QFETCH(double, top);
        QFETCH(double, width);
        const ReaderLayout layout = computeReaderLayout(28800, 16500);
        QCOMPARE(layout.buttonHeight, 1500.0);
        QCOMPARE(layout.command[command].left, left);
        QCOMPARE(layout.command[command].top, top);
        QCOMPARE(layout.command[command].width, width);
        QCOMPARE(layout.command[command].height, 1500.0);
    }

    void boxesAndWindow() {
        const ReaderLayout layout = computeReaderLayout(28800, 16500);
        QCOMPARE(layout.window.width, 28800.0);
        QCOMPARE(layout.window.height, 16500.0);
        QCOMPARE(layout.text1.left, 0.0);
        QCOMPARE(layout.text1.top, 0.0);
        QCOMPARE(layout.text1.height, 14685.0);
        QCOMPARE(layout.text1.width, 24190.0);
        QCOMPARE(layout.text2.left, 0.0);
        QCOMPARE(layout.text2.top, 14785.0);
        QCOMPARE(layout.text2.width, 24065.0);
        QCOMPARE(layout.text2.height, 615.0);
    }

    void rowHeightIsNotRounded() {
        const ReaderLayout layout = computeReaderLayout(19200, 10800);
        QCOMPARE(layout.buttonHeight, 10800.0 / 11);
        QCOMPARE(layout.command[11].top, 7 * (10800.0 / 11) + 1400);
        // The pairs sit 200 apart and the right column ends 200 from the screen edge.
        QCOMPARE(layout.command[2].left - (layout.command[1].left + layout.command[1].width), 200.0);
        QCOMPARE(layout.command[2].left + layout.command[2].width, 19200.0 - 200);
    }

    void twipsAndPixels_data() {
        QTest::addColumn<double>("twips");
        QTest::addColumn<double>("dpi");
        QTest::addColumn<int>("pixels");
        QTest::newRow("15 twips a pixel at 96 dpi") << 1500.0 << 96.0 << 100;
        QTest::newRow("button width at 96 dpi") << 2055.0 << 96.0 << 137;
        QTest::newRow("at 144 dpi") << 1440.0 << 144.0 << 144;
        QTest::newRow("rounded") << 14785.0 << 96.0 << 986;
    }
    void twipsAndPixels() {
        QFETCH(double, twips);
        QFETCH(double, dpi);
        QFETCH(int, pixels);
        QCOMPARE(twipsToPixels(twips, dpi), pixels);
        QCOMPARE(pixelsToTwips(1920, 96), 28800.0);
    }
};

QTEST_GUILESS_MAIN(TestReaderLayout)
#include "test_readerlayout.moc"
