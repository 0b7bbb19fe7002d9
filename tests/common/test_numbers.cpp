#include "common/Numbers.h"

#include <QtTest>

using namespace orasent;

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void nearestHalfToEven_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("expected");
        QTest::newRow("2.5") << 2.5 << 2.0;
        QTest::newRow("3.5") << 3.5 << 4.0;
        QTest::newRow("-2.5") << -2.5 << -2.0;
        QTest::newRow("0.5") << 0.5 << 0.0;
        QTest::newRow("4.04") << 4.04 << 4.0;
        QTest::newRow("41.6") << 41.6 << 42.0;
    }
    void nearestHalfToEven() {
        QFETCH(double, x);
        QFETCH(double, expected);
        QCOMPARE(nearest(x), expected);
    }

    void limits() {
        QCOMPARE(nearestInt(1e300), std::int64_t(9007199254740992LL));
        QCOMPARE(nearestInt(-1e300), -std::int64_t(9007199254740992LL));
        QCOMPARE(nearestInt(std::numeric_limits<double>::quiet_NaN()), std::int64_t(0));
        QVERIFY(fitsInt16(32767.4) && fitsInt16(-32768));
        QVERIFY(!fitsInt16(32767.5) && !fitsInt16(-32769));
    }

    void numericPrefix_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("consumed");
        QTest::addColumn<bool>("whole"); // the text is one number (blanks around allowed)
        QTest::newRow("plain") << "42" << 42.0 << 2 << true;
        QTest::newRow("blanks and tail") << "  7 seconds" << 7.0 << 3 << false;
        QTest::newRow("negative") << "-10" << -10.0 << 3 << true;
        QTest::newRow("negative fraction") << "-100.25x" << -100.25 << 7 << false;
        QTest::newRow("leading point") << " .5" << 0.5 << 3 << true;
        QTest::newRow("exponent") << "1.5E3" << 1500.0 << 5 << true;
        QTest::newRow("dangling exponent") << "2e" << 2.0 << 1 << false;
        QTest::newRow("tab") << "\t3" << 3.0 << 2 << true;
        QTest::newRow("word") << "fast" << 0.0 << 0 << false;
        QTest::newRow("empty") << "" << 0.0 << 0 << false;
        QTest::newRow("sign only") << "-" << 0.0 << 0 << false;
        QTest::newRow("overflow") << "1e999" << 0.0 << 0 << false;
    }
    void numericPrefix() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(int, consumed);
        QFETCH(bool, whole);
        int used = -1;
        QCOMPARE(orasent::numericPrefix(text, &used), expected);
        QCOMPARE(used, consumed);
        double value = -1;
        QCOMPARE(parseWholeNumber(text + ' ', &value), whole);
        QCOMPARE(value, whole ? expected : -1.0);
    }

    void writtenForms_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("digits");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << 0.0 << 15 << " 0";
        QTest::newRow("whole") << 1234.0 << 15 << " 1234";
        QTest::newRow("negative") << -2.0 << 15 << "-2";
        QTest::newRow("fraction") << 4.04 << 15 << " 4.04";
        QTest::newRow("small") << 0.04 << 15 << " 0.04";
        QTest::newRow("15 digits") << 1.0 / 3.0 << 15 << " 0.333333333333333";
        QTest::newRow("single") << 1920.123456789 << 7 << " 1920.123";
        QTest::newRow("big, no exponent") << 1e20 << 15 << " 100000000000000000000";
        QTest::newRow("tiny, no exponent") << 1.5e-7 << 15 << " 0.00000015";
    }
    void writtenForms() {
        QFETCH(double, value);
        QFETCH(int, digits);
        QFETCH(QString, expected);
        QCOMPARE(formatSigned(value, digits), expected);
        if (digits == 15)
            QCOMPARE(formatStateNumber(value), expected + ' ');
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
