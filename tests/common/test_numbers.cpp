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

    void nearestIntSaturates() {
        QCOMPARE(nearestInt(1e300), std::int64_t(9007199254740992LL));
        QCOMPARE(nearestInt(-1e300), -std::int64_t(9007199254740992LL));
        QCOMPARE(nearestInt(std::numeric_limits<double>::quiet_NaN()), std::int64_t(0));
    }

    void numericPrefix_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::addColumn<int>("consumed");
        QTest::newRow("plain") << "42" << 42.0 << 2;
        QTest::newRow("blanks and tail") << "  7 seconds" << 7.0 << 3;
        QTest::newRow("negative fraction") << "-100.25x" << -100.25 << 7;
        QTest::newRow("leading point") << " .5" << 0.5 << 3;
        QTest::newRow("exponent") << "1.5E3" << 1500.0 << 5;
        QTest::newRow("dangling exponent") << "2e" << 2.0 << 1;
        QTest::newRow("word") << "fast" << 0.0 << 0;
        QTest::newRow("empty") << "" << 0.0 << 0;
        QTest::newRow("sign only") << "-" << 0.0 << 0;
        QTest::newRow("overflow") << "1e999" << 0.0 << 0;
        QTest::newRow("tab") << "\t3" << 3.0 << 2;
    }
    void numericPrefix() {
        QFETCH(QString, text);
        QFETCH(double, expected);
        QFETCH(int, consumed);
        int used = -1;
        QCOMPARE(orasent::numericPrefix(text, &used), expected);
        QCOMPARE(used, consumed);
    }

    void wholeNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("negative") << "-10" << true << -10.0;
        QTest::newRow("blanks") << " 100 " << true << 100.0;
        QTest::newRow("word") << " fast" << false << 0.0;
        QTest::newRow("tail") << "5x" << false << 0.0;
        QTest::newRow("empty") << "" << false << 0.0;
    }
    void wholeNumber() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        double v = 0;
        QCOMPARE(parseWholeNumber(text, &v), ok);
        if (ok)
            QCOMPARE(v, value);
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
        // What is written reads back as the same value.
        QCOMPARE(orasent::numericPrefix(expected), QString::number(value, 'g', digits).toDouble());
    }

    void stateFileForm() {
        QCOMPARE(formatStateNumber(5), QStringLiteral(" 5 "));
        QCOMPARE(formatStateNumber(-1), QStringLiteral("-1 "));
    }

    void int16Limit() {
        QVERIFY(fitsInt16(32767.4));
        QVERIFY(!fitsInt16(32767.5));
        QVERIFY(fitsInt16(-32768));
        QVERIFY(!fitsInt16(-32769));
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
