#include "common/TextCodec.h"
#include "common/TextLines.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;

class TestText : public QObject {
    Q_OBJECT
private slots:
    void splitLines_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("crlf") << "a\r\nb\r\n" << QStringList{"a", "b"};
        QTest::newRow("lone cr") << "a\rb" << QStringList{"a", "b"};
        QTest::newRow("lone lf stays") << "a\nb\r\n" << QStringList{"a\nb"};
        QTest::newRow("mixed") << "a\r\n\rb\nc\r" << QStringList{"a", "", "b\nc"};
        QTest::newRow("empty lines") << "\r\n\r\n" << QStringList{"", ""};
        QTest::newRow("no terminator") << "x" << QStringList{"x"};
        QTest::newRow("empty") << "" << QStringList{};
    }
    void splitLines() {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(orasent::splitLines(text), lines);
    }

    void joinCrLf() { QCOMPARE(joinLinesCrLf({"a", "", "b"}), QStringLiteral("a\r\n\r\nb\r\n")); }

    void decode_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
        QTest::newRow("utf8") << QByteArray("caf\xc3\xa9") << QString::fromUtf8("caf\xc3\xa9");
        QTest::newRow("utf8 bom skipped") << QByteArray("\xef\xbb\xbfhi") << QStringLiteral("hi");
        QTest::newRow("cp1252") << QByteArray("caf\xe9 \x93q\x94 \x80")
                                << QString::fromUtf8(
                                       "caf\xc3\xa9 \xe2\x80\x9cq\xe2\x80\x9d \xe2\x82\xac");
        QTest::newRow("truncated utf8") << QByteArray("a\xc3") << QString::fromUtf8("a\xc3\x83");
        QTest::newRow("overlong") << QByteArray("\xc0\xaf")
                                  << QString::fromUtf8("\xc3\x80\xc2\xaf");
        QTest::newRow("surrogate")
            << QByteArray("\xed\xa0\x80") << QString::fromUtf8("\xc3\xad\xc2\xa0\xe2\x82\xac");
        QTest::newRow("emoji") << QByteArray("\xf0\x9f\x98\x80")
                               << QString::fromUtf8("\xf0\x9f\x98\x80");
    }
    void decode() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeText(bytes), text);
    }

    void encode_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ascii") << QStringLiteral("RD=ROAD") << QByteArray("RD=ROAD");
        QTest::newRow("fits cp1252")
            << QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac") << QByteArray("caf\xe9 \x80");
        QTest::newRow("needs utf8")
            << QString::fromUtf8("\xe4\xb8\x80 \xc3\xa9") << QByteArray("\xe4\xb8\x80 \xc3\xa9");
    }
    void encode() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(encodeText(text), bytes);
        QCOMPARE(decodeText(encodeText(text)), text); // nothing lost either way
    }

    void readMissingFile() {
        QTemporaryDir dir;
        QStringList lines;
        QString error;
        QVERIFY(!readTextFileLines(dir.filePath("missing.txt"), &lines, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestText)
#include "test_text.moc"
