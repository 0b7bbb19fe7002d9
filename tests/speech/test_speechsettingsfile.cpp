#include "FileBytes.h"
#include "speech/SpeechSettingsFile.h"

#include "common/AtomicFile.h"

#include "TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

using orasent::test::readAll;
using orasent::test::writeBytes;

using namespace orasent;

Q_DECLARE_METATYPE(orasent::SpeechSettings)

namespace {

QString describe(const QList<SettingAction>& actions) {
    static const char* const names[] = {"VoiceIndex",       "ClearIt", "FormatIndex",
                                        "AudioOutputIndex", "Rate",    "Volume",
                                        "ChkClipboard",     "Left",    "Top"};
    QStringList parts;
    for (const SettingAction& action : actions)
        parts << QStringLiteral("%1:%2")
                     .arg(QLatin1String(names[action.kind]))
                     .arg(action.value, 0, 'g', 10);
    return parts.join(u';');
}

QStringList listing(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

} // namespace

class TestSpeechSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setRenameFunctionForTesting({}); }

    void formatsTypicalFile() {
        const SpeechSettings s{0, 18, 0, -2, 100, 1, 0, 1920, 1440};
        QCOMPARE(formatSpeechSettings(s),
                 QByteArray("VOICECB= 0\r\nFORMATCB= 18\r\nAUDIOOUTPUTCB= 0\r\n\r\n"
                            "RATESLDR=-2\r\nVOLUMESLDR= 100\r\nCHKCLIPBOARD= 1\r\n"
                            "\r\n\r\n\r\n\r\nCLEARIT= 0\r\n\r\n\r\n"
                            "TTSLEFT= 1920\r\nTTSTOP= 1440\r\n"));
    }

    void formatsWindowPositionAsSingle_data() {
        QTest::addColumn<double>("position");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("half") << 1234.5 << QByteArray(" 1234.5");
        QTest::newRow("seven digits") << 1234.5678 << QByteArray(" 1234.568");
        QTest::newRow("tenth") << 0.1 << QByteArray(" 0.1");
        QTest::newRow("large") << 123456789.0 << QByteArray(" 123456800");
        QTest::newRow("negative") << -15.0 << QByteArray("-15");
        QTest::newRow("zero") << 0.0 << QByteArray(" 0");
    }
    void formatsWindowPositionAsSingle() {
        QFETCH(double, position);
        QFETCH(QByteArray, written);
        SpeechSettings s;
        s.left = s.top = position;
        const QList<QByteArray> lines = formatSpeechSettings(s).split('\n');
        QCOMPARE(lines.at(14), "TTSLEFT=" + written + "\r");
        QCOMPARE(lines.at(15), "TTSTOP=" + written + "\r");
    }

    void roundTrip_data() {
        QTest::addColumn<SpeechSettings>("settings");
        QTest::newRow("slowest rate, both boxes ticked")
            << SpeechSettings{2, 35, 1, -10, 100, 1, 1, 1920, 1440};
        QTest::newRow("fastest rate, silent, fraction")
            << SpeechSettings{0, 4, 0, 10, 0, 0, 0, 0, 7222.5};
    }
    void roundTrip() {
        QFETCH(SpeechSettings, settings);
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        QString error;
        QVERIFY2(writeSpeechSettings(path, settings, &error), qPrintable(error));
        const QList<SettingAction> expected = {
            {SettingAction::VoiceIndex, double(settings.voiceIndex)},
            {SettingAction::FormatIndex, double(settings.formatIndex)},
            {SettingAction::AudioOutputIndex, double(settings.audioOutputIndex)},
            {SettingAction::Rate, double(settings.rate)},
            {SettingAction::Volume, double(settings.volume)},
            {SettingAction::ChkClipboard, double(settings.chkClipboard)},
            {SettingAction::ClearIt, double(settings.clearIt)},
            {SettingAction::Left, settings.left},
            {SettingAction::Top, settings.top},
        };
        QCOMPARE(describe(readSpeechSettingsFile(path)), describe(expected));
    }

    void parsesLine_data() {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lower-case key") << "voicecb= 1"
                                        << "VoiceIndex:1";
        QTest::newRow("mixed-case key") << "RateSldr=-4"
                                        << "Rate:-4";
        QTest::newRow("key not at the start: value from character 9") << "XVOICECB= 2"
                                                                      << "VoiceIndex:0";
        QTest::newRow("leading number of a word is 0") << "VOICECB= fast"
                                                       << "VoiceIndex:0";
        QTest::newRow("whole number required") << "RATESLDR= fast"
                                               << "";
        QTest::newRow("whole number with trailing text") << "RATESLDR= 5x"
                                                         << "";
        QTest::newRow("whole number, blanks around") << "VOLUMESLDR= 100  "
                                                     << "Volume:100";
        QTest::newRow("whole number rounded down") << "RATESLDR= 2.7"
                                                   << "Rate:2";
        QTest::newRow("negative whole number rounded down") << "RATESLDR=-2.5"
                                                            << "Rate:-3";
        QTest::newRow("empty whole number") << "RATESLDR="
                                            << "";
        QTest::newRow("empty leading number") << "VOICECB="
                                              << "VoiceIndex:0";
        QTest::newRow("half to even, down") << "VOICECB= 2.5"
                                            << "VoiceIndex:2";
        QTest::newRow("half to even, up") << "FORMATCB= 3.5"
                                          << "FormatIndex:4";
        QTest::newRow("leading number with text after") << "AUDIOOUTPUTCB= 1 (speakers)"
                                                        << "AudioOutputIndex:1";
        QTest::newRow("exponent") << "AUDIOOUTPUTCB= 1e1"
                                  << "AudioOutputIndex:10";
        QTest::newRow("16-bit top") << "VOICECB= 32767.4"
                                    << "VoiceIndex:32767";
        QTest::newRow("16-bit overflow after rounding") << "VOICECB= 32767.5"
                                                        << "";
        QTest::newRow("16-bit overflow") << "CLEARIT= 40000"
                                         << "";
        QTest::newRow("16-bit bottom") << "FORMATCB=-32768.5"
                                       << "FormatIndex:-32768";
        QTest::newRow("16-bit underflow") << "FORMATCB=-32769"
                                          << "";
        QTest::newRow("check box") << "CHKCLIPBOARD= 1"
                                   << "ChkClipboard:1";
        QTest::newRow("negative left ignored") << "TTSLEFT=-100"
                                               << "";
        QTest::newRow("negative top ignored") << "TTSTOP=-0.5"
                                              << "";
        QTest::newRow("left with fraction") << "TTSLEFT= 1920.5"
                                            << "Left:1920.5";
        QTest::newRow("left of a word is 0") << "TTSLEFT= left"
                                             << "Left:0";
        QTest::newRow("ignored keys") << "CHKCONFIRM= 1"
                                      << "";
        QTest::newRow("ignored not found") << "notfound=1"
                                           << "";
        QTest::newRow("unknown line") << "HELLO= 3"
                                      << "";
        QTest::newRow("two keys on one line, key order") << "CLEARIT= 1 VOICECB="
                                                         << "VoiceIndex:1;ClearIt:1";
        QTest::newRow("two keys, both from their position") << "VOICECB= 3 CLEARIT= 1"
                                                            << "VoiceIndex:3;ClearIt:3";
        // Only 255 characters from the value position count.
        QTest::newRow("value window of 255") << "TTSLEFT=" + QString(255, u' ') + "5"
                                             << "Left:0";
        QTest::newRow("value inside the window") << "TTSLEFT=" + QString(254, u' ') + "5"
                                                 << "Left:5";
        // "ß" upper-cases to "SS"; that must not shift the fixed value position.
        QTest::newRow("sharp s in the key") << QString::fromUtf8("ßOICECB= 4") << "";
        QTest::newRow("sharp s in the value") << QString::fromUtf8("VOICECB=ß5") << "VoiceIndex:0";
        QTest::newRow("sharp s before the key")
            << QString::fromUtf8("ßAUDIOOUTPUTCB 3") << "AudioOutputIndex:3";
    }
    void parsesLine() {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(describe(parseSpeechSettings({line})), expected);
    }

    void actionsInFileOrder() {
        const QStringList lines = {"RATESLDR= 1", "", "VOICECB= 2", "RATESLDR= bad", "RATESLDR= 3"};
        QCOMPARE(describe(parseSpeechSettings(lines)), QString("Rate:1;VoiceIndex:2;Rate:3"));
    }

    void readsFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        QVERIFY(readSpeechSettingsFile(path).isEmpty());
        QVERIFY(QDir(dir.path()).mkdir("VIC.INI"));
        QVERIFY(readSpeechSettingsFile(path).isEmpty());
        QVERIFY(QDir(dir.path()).rmdir("VIC.INI"));
        // A lone CR ends a line; a lone LF does not, so the third key is part of the second line.
        writeBytes(path, "VOICECB= 1\rFORMATCB= 5\nRATESLDR= 2\r\n");
        QCOMPARE(describe(readSpeechSettingsFile(path)), QString("VoiceIndex:1;FormatIndex:5"));
    }

    void writesSixteenLinesAndNoTemporary() {
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        writeBytes(dir.filePath("ALLTMP"), "left over from a crash");
        writeBytes(path, "VOICECB= 1\r\n");
        QVERIFY(writeSpeechSettings(path, SpeechSettings{}, nullptr));
        QCOMPARE(readAll(path), formatSpeechSettings(SpeechSettings{}));
        QCOMPARE(listing(dir.path()), QStringList{"VIC.INI"});
    }

    void failedSaveKeepsOldFile_data() {
        QTest::addColumn<QString>("failure");
        QTest::newRow("rename refused") << "rename";
        QTest::newRow("full disk") << "full";
        QTest::newRow("read-only mount") << "read-only";
    }
    void failedSaveKeepsOldFile() {
        QFETCH(QString, failure);
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = disk.filePath("VIC.INI");
        QVERIFY(writeSpeechSettings(path, SpeechSettings{0, 18, 0, -10}, nullptr));
        const QByteArray before = readAll(path);
        QStringList expectedListing{"VIC.INI"};
        if (failure == "rename") {
            setRenameFunctionForTesting([](const char*, const char*) {
                errno = EACCES;
                return -1;
            });
        } else if (failure == "full") {
            disk.fill();
            expectedListing.prepend(".filler");
        } else {
            QVERIFY(disk.remountReadOnly());
        }
        QString error;
        QVERIFY(!writeSpeechSettings(path, SpeechSettings{}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), before);
        QCOMPARE(listing(disk.path()), expectedListing);
    }
};

QTEST_GUILESS_MAIN(TestSpeechSettingsFile)
#include "test_speechsettingsfile.moc"
