// A rate step from the reader moves the speech window's own slider: the voice takes the rate,
// the slider stays within -10..10, and "VIC.INI" keeps it at unload.
#include "TTSSetupFixture.h"

#include <QSlider>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

class TTSSetupRateTest : public QObject {
    Q_OBJECT
private slots:
    void stepRate_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("delta");
        QTest::addColumn<int>("rate");
        QTest::newRow("faster") << 0 << 1 << 1;
        QTest::newRow("slower") << 0 << -1 << -1;
        QTest::newRow("two steps") << 4 << -2 << 2;
        QTest::newRow("not past 10") << 10 << 1 << 10;
        QTest::newRow("not below -10") << -10 << -1 << -10;
    }
    void stepRate() {
        QFETCH(int, start);
        QFETCH(int, delta);
        QFETCH(int, rate);
        SpeechWindowFixture f;
        orasent::test::writeBytes(f.path("VIC.INI"),
                                  QStringLiteral("RATESLDR= %1\r\n").arg(start).toLatin1());
        TTSSetup& w = f.load();
        auto* slider = control<QSlider>(&w, "RateSldr");
        QCOMPARE(slider->value(), start);
        QCOMPARE(w.stepRate(delta), rate);
        QCOMPARE(slider->value(), rate);
        QCOMPARE(f.voice->Rate(), rate);
        w.unloadWindow();
        // A value that is not negative is written after a blank.
        const QByteArray line =
            (rate < 0 ? QStringLiteral("RATESLDR=%1\r\n") : QStringLiteral("RATESLDR= %1\r\n"))
                .arg(rate)
                .toLatin1();
        QVERIFY(readBytes(f.path("VIC.INI")).contains(line));
    }
};

QTEST_MAIN(TTSSetupRateTest)
#include "test_ttssetup_rate.moc"
