// The speech window's controls, its load with odd engines, the voice settings, the close box,
// and the settings file through the window.
#include "TTSSetupFixture.h"
#include "TmpfsMount.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QSlider>
#include <QWindow>

using namespace orasent;
using namespace orasent::test;

namespace {

QRect pixels(const QWidget& w, const QRect& twips) {
    const double dx = w.screen()->logicalDotsPerInchX() / 1440.0,
                 dy = w.screen()->logicalDotsPerInchY() / 1440.0;
    return QRect(qRound(twips.x() * dx), qRound(twips.y() * dy), qRound(twips.width() * dx),
                 qRound(twips.height() * dy));
}

QStringList lines(const QByteArray& bytes) {
    QStringList result = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

} // namespace

class TestTTSSetupLoad : public QObject {
    Q_OBJECT
private slots:
    void controlsStandAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        const struct {
            const char* name;
            QRect rect;
        } rows[] = {
            {"VisemePicture", {120, 60, 1700, 2175}},  {"MainTxtBox", {1920, 60, 4335, 2175}},
            {"SpeakBtn", {6480, 60, 1485, 350}},       {"StopBtn", {6480, 500, 1485, 350}},
            {"Command2", {6480, 960, 1455, 375}},      {"BtnTest", {6480, 1440, 1455, 375}},
            {"ChkClipboard", {6360, 1920, 1695, 375}}, {"ClearIt", {6360, 2280, 1575, 255}},
            {"Label2", {1680, 2520, 495, 255}},        {"VoiceCB", {240, 2760, 3300, 315}},
            {"Label5", {5880, 2520, 615, 255}},        {"FormatCB", {4680, 2760, 3300, 315}},
            {"Label3", {1680, 3240, 735, 255}},        {"RateSldr", {240, 3480, 3300, 315}},
            {"Label1", {5640, 3240, 1335, 255}},       {"AudioOutputCB", {4680, 3480, 3300, 315}},
            {"Label4", {1560, 3960, 735, 255}},        {"VolumeSldr", {240, 4200, 3300, 315}},
            {"Command1", {5160, 3960, 2175, 735}},     {"SPKBX", {8760, 4440, 1455, 285}},
            {"Label6", {8640, 120, 3855, 255}},        {"TalkBox", {8520, 360, 4215, 3975}},
            {"Command3", {12960, 960, 855, 975}},      {"Command4", {12960, 2040, 855, 375}},
            {"Command5", {12960, 2520, 855, 375}},     {"Command6", {12960, 3000, 855, 375}},
        };
        for (const auto& row : rows)
            QTest::newRow(row.name) << QString::fromLatin1(row.name) << row.rect;
    }

    void controlsStandAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QWidget* widget = control<QWidget>(&w, name);
        QVERIFY2(widget, qPrintable(name));
        QCOMPARE(widget->geometry(), pixels(w, twips));
    }

    void menusAndCaptions() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QCOMPARE(w.windowTitle(), QStringLiteral("Text To Speech"));
        QStringList top;
        for (QAction* action : w.menuBar()->actions())
            top << action->text();
        QCOMPARE(top, QStringList({"File", "Help", "Edit List"}));
        QCOMPARE(w.menuBar()->actions().at(2), menuAction(&w, "ST"));
        QCOMPARE(menuAction(&w, "menuFileOpenText")->text(), QStringLiteral("&Open Text File"));
        QCOMPARE(menuAction(&w, "menuFileExit")->text(), QStringLiteral("&Close"));
        QCOMPARE(control<QPushButton>(&w, "Command3")->text(),
                 QStringLiteral("Test Last Word in List"));
        QCOMPARE(control<QLabel>(&w, "Label6")->text(),
                 QStringLiteral("Edit Word replacement List. I.E. RD = Road"));
    }

    void loadFillsListsInOrder() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QCOMPARE(control<QComboBox>(&w, "VoiceCB")->itemText(2), QStringLiteral("German"));
        auto* formats = control<QComboBox>(&w, "FormatCB");
        QCOMPARE(formats->count(), 36);
        QCOMPARE(formats->itemText(0), QStringLiteral("SAFT8kHz8BitMono"));
        QCOMPARE(formats->itemData(0).toInt(), 4);
        QCOMPARE(formats->itemData(35).toInt(), 39);
        QCOMPARE(formats->currentText(), QStringLiteral("SAFT22kHz16BitMono"));
        QVERIFY(!f.voice->allowFormatChanges());
        QVERIFY(!control<QPushButton>(&w, "StopBtn")->isEnabled());
        QCOMPARE(w.frameGeometry().size(), pixels(w, QRect(0, 0, 8220, 5460)).size());
        QVERIFY(!w.isVisible());
        // With no voices the voice is saved as -1, which fails its step when read back.
        f.window.reset();
        f.setUpVoice = [](FakeVoice& v) { v.voices.clear(); };
        f.load().unloadWindow();
        QCOMPARE(lines(readBytes(f.path("VIC.INI"))).value(0), QStringLiteral("VOICECB=-1"));
    }

    // Engines and settings files the load must cope with. The engine starts at rate -3, volume 70.
    void loadOrder_data() {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<QStringList>("log"); // the engine's calls
        QTest::addColumn<QString>("loaded");
        const QString usual = "0/3 (voice/en-us), format 18, Null Output, rate -3, volume 70, not "
                              "moved; engine 22, rate -3";
        const QStringList fresh{"setVoice(voice/en-us)", "setAudioOutputFormatType(22)",
                                "setAudioOutput(output/null)", "setAudioOutputFormatType(22)"};
        // Voice, then the format, then the output with the format applied again; the sliders set
        // from the engine's values do not write them back.
        QTest::newRow("fresh") << "" << QByteArray() << fresh << usual;
        QTest::newRow("no voices") << "no voices" << QByteArray() << fresh.mid(1)
                                   << "-1/0 (voice/en-us), format 18, Null Output, rate -3, volume "
                                      "70, not moved; engine 22, rate -3";
        QTest::newRow("no outputs") << "no outputs" << QByteArray() << fresh.mid(0, 2)
                                    << "0/3 (voice/en-us), format 18, No audio ouput object "
                                       "available (disabled), rate -3, volume 70, "
                                       "not moved; engine 22, rate -3";
        // The list shows the choice, the engine keeps its format, and the load goes on to the end.
        QTest::newRow("output refuses the format")
            << "refuses 22" << QByteArray("RATESLDR= 4\r\n") << fresh + QStringList{"setRate(4)"}
            << "0/3 (voice/en-us), format 18, Null Output, rate 4, volume 70, not moved; engine "
               "16, rate 4";
        QTest::newRow("choices from the file run the handlers even for the same index")
            << "" << QByteArray("VOICECB= 0\r\nFORMATCB= 18\r\nAUDIOOUTPUTCB= 0\r\n")
            << fresh + fresh << usual;
        QTest::newRow("voice beyond the list, loading goes on")
            << "" << QByteArray("VOICECB= 7\r\nRATESLDR= 3\r\n")
            << fresh + QStringList{"setRate(3)"}
            << "0/3 (voice/en-us), format 18, Null Output, rate 3, volume 70, not moved; engine "
               "22, rate 3";
        QTest::newRow("lower-case keys")
            << "" << QByteArray("voicecb= 1\r\nvolumesldr= 20\r\n")
            << fresh + QStringList{"setVoice(voice/en)", "setVolume(20)"}
            << "1/3 (voice/en), format 18, Null Output, rate -3, volume 20, not moved; engine 22, "
               "rate -3";
        QTest::newRow("rate out of range")
            << "" << QByteArray("RATESLDR= 11\r\n") << fresh << usual;
        QTest::newRow("negative position")
            << "" << QByteArray("TTSLEFT=-100\r\nTTSTOP=-5\r\n") << fresh << usual;
        QTest::newRow("position") << "" << QByteArray("TTSLEFT= 1500\r\nTTSTOP= 750\r\n") << fresh
                                  << "0/3 (voice/en-us), format 18, Null Output, rate -3, volume "
                                     "70, at 1500,750; engine 22, rate -3";
    }

    void loadOrder() {
        QFETCH(QString, engine);
        QFETCH(QByteArray, settings);
        QFETCH(QStringList, log);
        QFETCH(QString, loaded);
        SpeechWindowFixture f;
        if (!settings.isEmpty())
            writeBytes(f.path("VIC.INI"), settings);
        f.setUpVoice = [engine](FakeVoice& v) {
            v.setRate(-3);
            v.setVolume(70);
            if (engine == "no voices")
                v.voices.clear();
            if (engine == "no outputs")
                v.outputs.clear();
            if (engine == "refuses 22") {
                v.refusedFormatTypes = {22};
                v.setAudioOutputFormatType(16);
            }
            v.log.clear();
        };
        TTSSetup& w = f.create();
        const QPoint before = w.pos();
        f.load();
        QCOMPARE(f.voice->log, log);
        auto* voices = control<QComboBox>(&w, "VoiceCB");
        auto* outputs = control<QComboBox>(&w, "AudioOutputCB");
        const double dx = w.screen()->logicalDotsPerInchX() / 1440.0,
                     dy = w.screen()->logicalDotsPerInchY() / 1440.0;
        const QString place = w.pos() == before ? QStringLiteral("not moved")
                                                : QStringLiteral("at %1,%2")
                                                      .arg(qRound(w.pos().x() / dx))
                                                      .arg(qRound(w.pos().y() / dy));
        QCOMPARE(QStringLiteral(
                     "%1/%2 (%3), format %4, %5%6, rate %7, volume %8, %9; engine %10, rate %11")
                     .arg(voices->currentIndex())
                     .arg(voices->count())
                     .arg(f.voice->Voice().Id())
                     .arg(control<QComboBox>(&w, "FormatCB")->currentIndex())
                     .arg(outputs->currentText(), outputs->isEnabled() ? "" : " (disabled)")
                     .arg(control<QSlider>(&w, "RateSldr")->value())
                     .arg(control<QSlider>(&w, "VolumeSldr")->value())
                     .arg(place)
                     .arg(f.voice->AudioOutputFormatType())
                     .arg(f.voice->Rate()),
                 loaded);
        QCOMPARE(w.SpeakFlags(), 11);
        QVERIFY(w.SpeakBtn()->isEnabled());
    }

    void loadWithoutAnyEngine() {
        SpeechWindowFixture f;
        TTSSetup w([]() -> std::unique_ptr<SpVoice> { throw SpeechError("no engine"); }, f.prompts);
        w.loadWindow();
        w.Timer1()->stop();
        QVERIFY(!w.Voice());
        QCOMPARE(control<QComboBox>(&w, "VoiceCB")->count(), 0);
        QVERIFY(!control<QComboBox>(&w, "AudioOutputCB")->isEnabled());
        // Speaking fails quietly and leaves the window idle; the speak box is still emptied.
        control<QPlainTextEdit>(&w, "MainTxtBox")->setPlainText(QStringLiteral("hello"));
        w.SpeakItX();
        w.handedOverBox()->setText(QStringLiteral("talk"));
        w.onSpeakingTick();
        QVERIFY(w.handedOverBox()->text().isEmpty());
        QVERIFY(w.SpeakBtn()->isEnabled());
        w.StopVoice();
        QCOMPARE(w.GetDirectory(), QString());
        w.unloadWindow();
        QVERIFY(QFile::exists(f.path("VIC.INI")));
    }

    void userChoicesActOnTheVoice() {
        SpeechWindowFixture f;
        f.setUpVoice = [](FakeVoice& v) {
            v.outputs.append(SpObjectToken("output/2", "Speakers"));
        };
        f.load();
        f.voice->log.clear();
        f.choose("VoiceCB", 2);
        f.choose("FormatCB", 0);
        f.choose("AudioOutputCB", 1);
        // A new output gets the chosen format again.
        QCOMPARE(f.voice->log,
                 QStringList({"setVoice(voice/de)", "setAudioOutputFormatType(4)",
                              "setAudioOutput(output/2)", "setAudioOutputFormatType(4)"}));
        // A refused voice leaves the old one and shows nothing.
        f.voice->failSetVoice = true;
        f.choose("VoiceCB", 1);
        QCOMPARE(f.voice->Voice().Id(), QStringLiteral("voice/de"));
        QVERIFY(f.prompts.messages.isEmpty());
    }

    void slidersActOnlyForTheUser() {
        SpeechWindowFixture f;
        writeBytes(f.path("VIC.INI"), "RATESLDR= 5\r\nVOLUMESLDR= 40\r\n");
        TTSSetup& w = f.load();
        QCOMPARE(f.voice->log.count("setRate(5)"), 1);
        QCOMPARE(f.voice->log.count("setVolume(40)"), 1);
        control<QSlider>(&w, "RateSldr")->triggerAction(QAbstractSlider::SliderToMinimum);
        QCOMPARE(f.voice->Rate(), -10);
        QTest::keyClick(control<QSlider>(&w, "VolumeSldr"), Qt::Key_PageUp);
        QCOMPARE(f.voice->Volume(), 45);
    }

    void closeBoxIsRefusedAndCloseHides() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        w.showWindow();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCloseEvent event;
        QApplication::sendEvent(&w, &event);
        QVERIFY(!event.isAccepted());
        w.windowHandle()->close();
        QVERIFY(w.isVisible());
        f.click("Command1");
        QVERIFY(!w.isVisible());
        w.showWindow();
        menuAction(&w, "menuFileExit")->trigger();
        QVERIFY(!w.isVisible());
        QVERIFY(w.Voice());
        QVERIFY(!QFile::exists(f.path("VIC.INI")));
    }

    void unloadSavesAndReleasesTheVoice() {
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        w.showWindow();
        w.unloadWindow();
        QVERIFY(!w.Voice());
        QVERIFY(!w.isVisible());
        QVERIFY(QFile::exists(f.path("VIC.INI")));
        // After the unload nothing reaches the released voice.
        w.handedOverBox()->setText(QStringLiteral("late"));
        w.onSpeakingTick();
        w.StopVoice();
    }

    void settingsRoundTrip() {
        SpeechWindowFixture f;
        f.setUpVoice = [](FakeVoice& v) {
            v.outputs.append(SpObjectToken("output/2", "Speakers"));
        };
        TTSSetup& w = f.load();
        f.choose("VoiceCB", 2);
        f.choose("FormatCB", 3);
        f.choose("AudioOutputCB", 1);
        control<QSlider>(&w, "RateSldr")->triggerAction(QAbstractSlider::SliderToMinimum);
        control<QSlider>(&w, "VolumeSldr")->setValue(35);
        control<QCheckBox>(&w, "ChkClipboard")->setChecked(true);
        control<QCheckBox>(&w, "ClearIt")->setChecked(true);
        w.move(120, 90);
        const QPoint position = w.pos();
        w.unloadWindow();
        const QStringList saved = lines(readBytes(f.path("VIC.INI")));
        QCOMPARE(saved.size(), 16);
        QCOMPARE(saved.mid(0, 7),
                 QStringList({"VOICECB= 2", "FORMATCB= 3", "AUDIOOUTPUTCB= 1", "", "RATESLDR=-10",
                              "VOLUMESLDR= 35", "CHKCLIPBOARD= 1"}));
        QCOMPARE(saved[11], QStringLiteral("CLEARIT= 1"));

        f.window.reset();
        TTSSetup& again = f.load();
        QCOMPARE(control<QComboBox>(&again, "VoiceCB")->currentIndex(), 2);
        QCOMPARE(f.voice->Voice().Id(), QStringLiteral("voice/de"));
        QCOMPARE(control<QComboBox>(&again, "FormatCB")->currentIndex(), 3);
        QCOMPARE(f.voice->AudioOutput().Id(), QStringLiteral("output/2"));
        QCOMPARE(f.voice->AudioOutputFormatType(), 7);
        QCOMPARE(control<QSlider>(&again, "RateSldr")->value(), -10);
        QCOMPARE(f.voice->Rate(), -10);
        QCOMPARE(f.voice->Volume(), 35);
        QVERIFY(control<QCheckBox>(&again, "ChkClipboard")->isChecked());
        QVERIFY(control<QCheckBox>(&again, "ClearIt")->isChecked());
        QCOMPARE(again.pos(), position);
    }

    void saveOnFullDiskKeepsTheOldFile() {
        TmpfsMount disk(64);
        if (!disk.isMounted())
            QSKIP("cannot mount a tmpfs here");
        SpeechWindowFixture f;
        TTSSetup& w = f.load();
        QDir::setCurrent(disk.path());
        const QByteArray old = "VOICECB= 1\r\nRATESLDR= 2\r\n";
        writeBytes(disk.filePath("VIC.INI"), old);
        disk.fill();
        w.unloadWindow();
        QCOMPARE(readBytes(disk.filePath("VIC.INI")), old);
        QVERIFY(!QFile::exists(disk.filePath("ALLTMP")));
        QCOMPARE(f.prompts.messages.size(), 1);
        QVERIFY(f.prompts.messages[0].text.contains("VIC.INI"));
    }
};

QTEST_MAIN(TestTTSSetupLoad)
#include "test_ttssetup_load.moc"
