// "ReadingLook.ini": reading bad files, the written form, and saving onto a full or read-only disk.
#include "FileBytes.h"
#include "TmpfsMount.h"
#include "reader/ReadingLook.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using orasent::test::readAll;
using orasent::test::TmpfsMount;

Q_DECLARE_METATYPE(orasent::ReadingLook)

namespace {
ReadingLook customLook() {
    ReadingLook look;
    look.typeface = QString::fromUtf8("Ünïcode Sans");
    look.bold = false;
    look.letterSpacing = 35;
    look.wordSpacing = 16;
    look.lineSpacing = 1.5;
    look.lineWidth = 70;
    look.text = QColor(0x10, 0x20, 0x30);
    look.background = QColor(0xfb, 0xf3, 0xdc);
    look.highlight = HighlightMode::Both;
    look.wordBand = QColor(0xff, 0xd5, 0x4a);
    look.sentenceBand = QColor(0xf3, 0xe2, 0xa6);
    look.dialogTypeSize = 24;
    return look;
}
} // namespace

class ReadingLookTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip() {
        QTemporaryDir dir;
        const QString path = dir.filePath("ReadingLook.ini");
        QString error;
        QVERIFY2(writeReadingLookFile(path, customLook(), &error), qPrintable(error));
        QCOMPARE(readReadingLookFile(path), customLook());
        QCOMPARE(readReadingLookFile(dir.filePath("missing.ini")), ReadingLook());
        // A name whose Windows-1252 bytes would read back as other UTF-8 text.
        ReadingLook latin;
        latin.typeface = QString::fromUtf8("Ã© Sans");
        QCOMPARE(parseReadingLook(formatReadingLook(latin)), latin);
        QCOMPARE(
            formatReadingLook(ReadingLook()),
            QByteArray("TYPEFACE=\r\nBOLD=1\r\nLETTERSPACING=0\r\nWORDSPACING=0\r\n"
                       "LINESPACING=1\r\nLINEWIDTH=0\r\nTEXTCOLOUR=\r\nBACKGROUNDCOLOUR=\r\n"
                       "HIGHLIGHT=word\r\nWORDBAND=\r\nSENTENCEBAND=\r\nDIALOGTYPESIZE=0\r\n"));
    }

    // Each row changes the defaults (or customLook() when `fromCustom`) as `expected` says.
    void badValues_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<ReadingLook>("expected");
        const ReadingLook defaults;
        ReadingLook high = defaults;
        high.letterSpacing = 50;
        high.wordSpacing = 100;
        high.lineSpacing = 3;
        high.lineWidth = 120;
        high.dialogTypeSize = 48;
        ReadingLook low = defaults;
        low.lineWidth = 40;
        low.dialogTypeSize = 8;
        ReadingLook named = defaults;
        named.text = QColor(Qt::red);
        named.highlight = HighlightMode::Off;
        QTest::newRow("empty") << QByteArray() << defaults;
        QTest::newRow("binary") << QByteArray("\x00\xff=\x01\r\x80=\x90", 8) << defaults;
        QTest::newRow("too high")
            << QByteArray("LETTERSPACING=99\r\nWORDSPACING=1e9\rLINESPACING=7\r\nLINEWIDTH=500\r\n"
                          "DIALOGTYPESIZE=100\r\n")
            << high;
        QTest::newRow("too low") << QByteArray(
                                        "LETTERSPACING=-5\r\nLINESPACING=0.2\r\n"
                                        "LINEWIDTH=3\r\nWORDSPACING=-1\r\nDIALOGTYPESIZE=2\r\n")
                                 << low;
        QTest::newRow("not numbers nor colours")
            << QByteArray("BOLD=yes\r\nLINESPACING=nan\r\nLINEWIDTH=wide\r\nTEXTCOLOUR=#12\r\n"
                          "BACKGROUNDCOLOUR=nope\r\nHIGHLIGHT=loud\r\nLETTERSPACING=inf\r\n")
            << defaults;
        QTest::newRow("names, blanks and case")
            << QByteArray(" textcolour = red \r\nhighlight=OFF\r\nno equals sign\r\n=x\r\n")
            << named;
        QTest::newRow("a short file") << QByteArray("TYPEFACE=Liberation Sa") << [] {
            ReadingLook look;
            look.typeface = QStringLiteral("Liberation Sa");
            return look;
        }();
    }
    void badValues() {
        QFETCH(QByteArray, bytes);
        QFETCH(ReadingLook, expected);
        const ReadingLook read = parseReadingLook(bytes);
        QCOMPARE(read, expected);
        QCOMPARE(parseReadingLook(formatReadingLook(read)), read); // written as read
    }

    // The dialogs' type: the chosen size, else the reading type's, between the desktop's and 48.
    void dialogType_data() {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<double>("reading");
        QTest::addColumn<double>("expected");
        QTest::newRow("as the reading type") << 0 << 30.0 << 30.0;
        QTest::newRow("huge reading type") << 0 << 200.0 << 48.0;
        QTest::newRow("never below the desktop's") << 0 << 6.0 << 10.0;
        QTest::newRow("chosen") << 20 << 200.0 << 20.0;
        QTest::newRow("no reading size") << 0 << qQNaN() << 10.0;
    }
    void dialogType() {
        QFETCH(int, chosen);
        QFETCH(double, reading);
        QFETCH(double, expected);
        ReadingLook look;
        look.dialogTypeSize = chosen;
        QCOMPARE(dialogTypeSize(look, reading, 10), expected);
    }

    void presetsMatch() {
        for (int i = 0; i < lookPresets().size(); ++i) {
            ReadingLook look = customLook();
            applyPreset(look, lookPresets()[i]);
            QCOMPARE(matchingPreset(look), i);
        }
        QCOMPARE(matchingPreset(customLook()), -1);
        QCOMPARE(lookPresets().first().name, QStringLiteral("As designed"));
    }

    void failedSave_data() {
        QTest::addColumn<bool>("readOnly");
        QTest::newRow("full disk") << false;
        QTest::newRow("read-only disk") << true;
    }
    void failedSave() {
        QFETCH(bool, readOnly);
        TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here (needs root)");
        const QString path = disk.filePath("ReadingLook.ini");
        const QByteArray old = "LINESPACING=2\r\n";
        orasent::test::writeBytes(path, old);
        ReadingLook look = customLook();
        look.typeface = QString(3000, QLatin1Char('x')); // more than the last free block
        if (readOnly)
            QVERIFY(disk.remountReadOnly());
        else
            disk.fill();
        const QStringList before = QDir(disk.path()).entryList(QDir::Files | QDir::Hidden);
        QString error;
        QVERIFY(!writeReadingLookFile(path, look, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), old);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), before);
    }
};

QTEST_MAIN(ReadingLookTest)
#include "test_readinglook.moc"
