// Where the reader window's controls go, in twips, for a given screen.
#include "reader/ui/ReaderLayout.h"

#include <QtTest>

using namespace orasent;

class TestReaderLayout : public QObject {
    Q_OBJECT
private slots:
    void controls_data() {
        QTest::addColumn<int>("control"); // 1..11 CommandN, 12 Text1, 13 Text2, 14 the window
        QTest::addColumn<QRectF>("twips");
        // A screen of 28800 x 16500 twips: button height 1500, rows 1700 apart.
        QTest::newRow("Command1") << 1 << QRectF(24290, 0, 2055, 1500);
        QTest::newRow("Command2") << 2 << QRectF(26545, 0, 2055, 1500);
        QTest::newRow("Command3") << 3 << QRectF(24290, 1700, 2055, 1500);
        QTest::newRow("Command4") << 4 << QRectF(26545, 1700, 2055, 1500);
        QTest::newRow("Command5") << 5 << QRectF(24290, 3400, 2055, 1500);
        QTest::newRow("Command6") << 6 << QRectF(26545, 3400, 2055, 1500);
        QTest::newRow("Command7") << 7 << QRectF(24290, 5100, 4335, 1500);
        QTest::newRow("Command8") << 8 << QRectF(24290, 6800, 4335, 1500);
        QTest::newRow("Command9") << 9 << QRectF(24290, 8500, 4335, 1500);
        QTest::newRow("Command10") << 10 << QRectF(24290, 10200, 4335, 1500);
        QTest::newRow("Command11") << 11 << QRectF(24290, 11900, 4335, 1500);
        QTest::newRow("Text1") << 12 << QRectF(0, 0, 24190, 14685);
        QTest::newRow("Text2") << 13 << QRectF(0, 14785, 24065, 615);
        QTest::newRow("window") << 14 << QRectF(0, 0, 28800, 16500);
    }
    void controls() {
        QFETCH(int, control);
        QFETCH(QRectF, twips);
        const ReaderLayout layout = computeReaderLayout(28800, 16500);
        const TwipRect r = control <= 11   ? layout.command[control]
                           : control == 12 ? layout.text1
                           : control == 13 ? layout.text2
                                           : layout.window;
        QCOMPARE(QRectF(r.left, r.top, r.width, r.height), twips);
    }

    void rowHeightIsNotRounded() {
        const ReaderLayout layout = computeReaderLayout(19200, 10800);
        QCOMPARE(layout.buttonHeight, 10800.0 / 11);
        QCOMPARE(layout.command[11].top, 7 * (10800.0 / 11) + 1400);
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
