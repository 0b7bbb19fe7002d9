#include "speech/SpeechSettingsFile.h"

#include "common/AtomicFile.h"

#include "TmpfsMount.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>

using namespace orasent;

Q_DECLARE_METATYPE(orasent::SpeechSettings)

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString describe(const QList<SettingAction>& actions)
{
    static const char* const names[] = {"VoiceIndex", "ClearIt",      "FormatIndex", "AudioOutputIndex", "Rate",
                                        "Volume",     "ChkClipboard", "Left",        "Top"};
    QStringList parts;
    for (const SettingAction& action : actions)
        parts << QStringLiteral("%1:%2").arg(QLatin1String(names[action.kind])).arg(action.value, 0, 'g', 10);
    return parts.join(u';');
}

QStringList listing(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

}  // namespace

class TestSpeechSettingsFile : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setRenameFunctionForTesting({}); }

    void formatsTypicalFile()
    {
        SpeechSettings s;
        s.voiceIndex = 0;
        s.formatIndex = 18;
        s.audioOutputIndex = 0;
        s.rate = -2;
        s.volume = 100;
        s.chkClipboard = 1;
        s.clearIt = 0;
        s.left = 1920;
        s.top = 1440;
        QCOMPARE(formatSpeechSettings(s), QByteArray("VOICECB= 0\r\n"
                                                     "FORMATCB= 18\r\n"
                                                     "AUDIOOUTPUTCB= 0\r\n"
                                                     "\r\n"
                                                     "RATESLDR=-2\r\n"
                                                     "VOLUMESLDR= 100\r\n"
                                                     "CHKCLIPBOARD= 1\r\n"
                                                     "\r\n\r\n\r\n\r\n"
                                                     "CLEARIT= 0\r\n"
                                                     "\r\n\r\n"
                                                     "TTSLEFT= 1920\r\n"
                                                     "TTSTOP= 1440\r\n"));
    }

    void formatsWindowPositionAsSingle_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("whole") << 1920.0 << QByteArray(" 1920");
        QTest::newRow("half") << 1234.5 << QByteArray(" 1234.5");
        QTest::newRow("seven digits") << 1234.5678 << QByteArray(" 1234.568");
        QTest::newRow("tenth") << 0.1 << QByteArray(" 0.1");
        QTest::newRow("large") << 123456789.0 << QByteArray(" 123456800");
        QTest::newRow("negative") << -15.0 << QByteArray("-15");
        QTest::newRow("zero") << 0.0 << QByteArray(" 0");
    }
    void formatsWindowPositionAsSingle()
    {
        QFETCH(double, position);
        QFETCH(QByteArray, written);
        SpeechSettings s;
        s.left = position;
        s.top = position;
        const QList<QByteArray> lines = formatSpeechSettings(s).split('\n');
        QCOMPARE(lines.at(14), "TTSLEFT=" + written + "\r");
        QCOMPARE(lines.at(15), "TTSTOP=" + written + "\r");
    }

    void roundTrip_data()
    {
        QTest::addColumn<SpeechSettings>("settings");
        SpeechSettings slowLoud;
        slowLoud.voiceIndex = 2;
        slowLoud.formatIndex = 35;
        slowLoud.audioOutputIndex = 1;
        slowLoud.rate = -10;
        slowLoud.volume = 100;
        slowLoud.chkClipboard = 1;
        slowLoud.clearIt = 1;
        slowLoud.left = 1920;
        slowLoud.top = 1440;
        QTest::newRow("slowest rate, both boxes ticked") << slowLoud;
        SpeechSettings fastQuiet;
        fastQuiet.voiceIndex = 0;
        fastQuiet.formatIndex = 4;
        fastQuiet.audioOutputIndex = 0;
        fastQuiet.rate = 10;
        fastQuiet.volume = 0;
        fastQuiet.chkClipboard = 0;
        fastQuiet.clearIt = 0;
        fastQuiet.left = 0;
        fastQuiet.top = 7222.5;
        QTest::newRow("fastest rate, silent, fraction") << fastQuiet;
    }
    void roundTrip()
    {
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

    void parsesLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("expected");
        QTest::newRow("lower-case key") << "voicecb= 1" << "VoiceIndex:1";
        QTest::newRow("mixed-case key") << "RateSldr=-4" << "Rate:-4";
        QTest::newRow("key not at the start: value from character 9") << "XVOICECB= 2" << "VoiceIndex:0";
        QTest::newRow("leading number of a word is 0") << "VOICECB= fast" << "VoiceIndex:0";
        QTest::newRow("whole number required") << "RATESLDR= fast" << "";
        QTest::newRow("whole number with trailing text") << "RATESLDR= 5x" << "";
        QTest::newRow("whole number, blanks around") << "VOLUMESLDR= 100  " << "Volume:100";
        QTest::newRow("whole number rounded down") << "RATESLDR= 2.7" << "Rate:2";
        QTest::newRow("negative whole number rounded down") << "RATESLDR=-2.5" << "Rate:-3";
        QTest::newRow("empty whole number") << "RATESLDR=" << "";
        QTest::newRow("empty leading number") << "VOICECB=" << "VoiceIndex:0";
        QTest::newRow("half to even, down") << "VOICECB= 2.5" << "VoiceIndex:2";
        QTest::newRow("half to even, up") << "FORMATCB= 3.5" << "FormatIndex:4";
        QTest::newRow("leading number with text after") << "AUDIOOUTPUTCB= 1 (speakers)" << "AudioOutputIndex:1";
        QTest::newRow("exponent") << "AUDIOOUTPUTCB= 1e1" << "AudioOutputIndex:10";
        QTest::newRow("16-bit top") << "VOICECB= 32767.4" << "VoiceIndex:32767";
        QTest::newRow("16-bit overflow after rounding") << "VOICECB= 32767.5" << "";
        QTest::newRow("16-bit overflow") << "CLEARIT= 40000" << "";
        QTest::newRow("16-bit bottom") << "FORMATCB=-32768.5" << "FormatIndex:-32768";
        QTest::newRow("16-bit underflow") << "FORMATCB=-32769" << "";
        QTest::newRow("check boxes") << "CHKCLIPBOARD= 1" << "ChkClipboard:1";
        QTest::newRow("clear it") << "CLEARIT= 1" << "ClearIt:1";
        QTest::newRow("negative left ignored") << "TTSLEFT=-100" << "";
        QTest::newRow("negative top ignored") << "TTSTOP=-0.5" << "";
        QTest::newRow("left with fraction") << "TTSLEFT= 1920.5" << "Left:1920.5";
        QTest::newRow("top zero") << "TTSTOP= 0" << "Top:0";
        QTest::newRow("left of a word is 0") << "TTSLEFT= left" << "Left:0";
        QTest::newRow("ignored keys") << "CHKCONFIRM= 1" << "";
        QTest::newRow("ignored executing") << "EXECUTING= 1" << "";
        QTest::newRow("ignored not found") << "notfound=1" << "";
        QTest::newRow("unknown line") << "HELLO= 3" << "";
        QTest::newRow("two keys on one line, key order") << "CLEARIT= 1 VOICECB=" << "VoiceIndex:1;ClearIt:1";
        QTest::newRow("two keys, both from their position") << "VOICECB= 3 CLEARIT= 1" << "VoiceIndex:3;ClearIt:3";
        // Only 255 characters from the value position count: here they are all blanks.
        QTest::newRow("value window of 255") << "TTSLEFT=" + QString(255, u' ') + "5" << "Left:0";
        QTest::newRow("value inside the window") << "TTSLEFT=" + QString(254, u' ') + "5" << "Left:5";
    }
    void parsesLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, expected);
        QCOMPARE(describe(parseSpeechSettings({line})), expected);
    }

    void actionsInFileOrder()
    {
        const QStringList lines = {"RATESLDR= 1", "", "VOICECB= 2", "RATESLDR= bad", "RATESLDR= 3"};
        QCOMPARE(describe(parseSpeechSettings(lines)), QString("Rate:1;VoiceIndex:2;Rate:3"));
    }

    void readsFileWithOtherLineEnds()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        // A lone CR ends a line; a lone LF does not, so the third key is part of the second line.
        writeBytes(path, "VOICECB= 1\rFORMATCB= 5\nRATESLDR= 2\r\n");
        QCOMPARE(describe(readSpeechSettingsFile(path)), QString("VoiceIndex:1;FormatIndex:5"));
    }

    void missingFileGivesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(readSpeechSettingsFile(dir.filePath("VIC.INI")).isEmpty());
    }

    void unreadableFileGivesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("VIC.INI"));
        QVERIFY(readSpeechSettingsFile(dir.filePath("VIC.INI")).isEmpty());
    }

    // A character whose upper case is longer ("ß" -> "SS") must not shift the fixed value position.
    void upperCaseKeepsValuePosition()
    {
        QCOMPARE(describe(parseSpeechSettings({QString::fromUtf8("ßOICECB= 4")})), QString());
        QCOMPARE(describe(parseSpeechSettings({QString::fromUtf8("VOICECB=ß5")})), QString("VoiceIndex:0"));
        QCOMPARE(describe(parseSpeechSettings({QString::fromUtf8("ßAUDIOOUTPUTCB 3")})), QString("AudioOutputIndex:3"));
    }

    void writesSixteenLinesAndNoTemporary()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        writeBytes(dir.filePath("ALLTMP"), "left over from a crash");
        writeBytes(path, "VOICECB= 1\r\n");
        QVERIFY(writeSpeechSettings(path, SpeechSettings{}, nullptr));
        const QByteArray bytes = readAll(path);
        QVERIFY(bytes.endsWith("\r\n"));
        QCOMPARE(bytes.count("\r\n"), 16);
        QCOMPARE(bytes.count('\n'), 16);
        QCOMPARE(bytes.count('\r'), 16);
        QCOMPARE(listing(dir.path()), QStringList{"VIC.INI"});
    }

    void failedRenameKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("VIC.INI");
        writeBytes(path, "VOICECB= 1\r\n");
        setRenameFunctionForTesting([](const char*, const char*) {
            errno = EACCES;
            return -1;
        });
        QString error;
        QVERIFY(!writeSpeechSettings(path, SpeechSettings{}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), QByteArray("VOICECB= 1\r\n"));
        QCOMPARE(listing(dir.path()), QStringList{"VIC.INI"});
    }

    void saveOntoFullDiskKeepsOldFile()
    {
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = disk.filePath("VIC.INI");
        SpeechSettings old;
        old.rate = -10;
        QVERIFY(writeSpeechSettings(path, old, nullptr));
        const QByteArray before = readAll(path);
        disk.fill();
        QString error;
        QVERIFY(!writeSpeechSettings(path, SpeechSettings{}, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), before);
        QCOMPARE(listing(disk.path()), (QStringList{".filler", "VIC.INI"}));
    }

    void saveOntoReadOnlyMountFails()
    {
        test::TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        const QString path = disk.filePath("VIC.INI");
        QVERIFY(writeSpeechSettings(path, SpeechSettings{}, nullptr));
        const QByteArray before = readAll(path);
        QVERIFY(disk.remountReadOnly());
        SpeechSettings changed;
        changed.volume = 5;
        QString error;
        QVERIFY(!writeSpeechSettings(path, changed, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readAll(path), before);
        QCOMPARE(listing(disk.path()), QStringList{"VIC.INI"});
    }
};

QTEST_GUILESS_MAIN(TestSpeechSettingsFile)
#include "test_speechsettingsfile.moc"
