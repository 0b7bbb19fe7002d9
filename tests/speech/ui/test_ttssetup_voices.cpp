// One voice list over two engines: the first engine's voices first, then the desktop server's;
// choosing one routes speaking there, the format and output lists say when they do not apply,
// voices that come late are appended and a saved choice among them is taken (and kept when they
// do not come); while the server is away its chosen voice stays chosen and a voice of the same
// language stands in, after a notice said once.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "engine/CombinedVoice.h"
#include "speech/SpeechSettingsFile.h"
#include "speech/ui/TTSSetup.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

// Stands in for speech-dispatcher: plays through its own server.
class ServerVoice : public FakeVoice {
public:
    ServerVoice() {
        voices = {{"speechd:espeak-ng/English", "English (espeak-ng)"},
                  {"speechd:festival/kal", "kal (festival)"}};
        languages = {{"speechd:espeak-ng/English", "en"}, {"speechd:festival/kal", "de"}};
    }
    bool audioSettingsApply() const override { return false; }
};

struct Rig {
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    FakePrompts prompts;
    FakeVoice* first = nullptr;
    ServerVoice* second = nullptr;
    std::unique_ptr<TTSSetup> window;

    explicit Rig(const SpObjectTokens& lateVoices = {}, int savedVoice = -1) {
        QDir::setCurrent(folder.path());
        if (savedVoice >= 0) {
            SpeechSettings saved;
            saved.voiceIndex = savedVoice;
            QString error;
            writeSpeechSettings(QStringLiteral("VIC.INI"), saved, &error);
        }
        window = std::make_unique<TTSSetup>(
            [this, lateVoices]() -> std::unique_ptr<SpVoice> {
                auto a = std::make_unique<FakeVoice>();
                auto b = std::make_unique<ServerVoice>();
                if (!lateVoices.isEmpty())
                    b->voices.clear();
                first = a.get();
                second = b.get();
                return std::make_unique<CombinedVoice>(std::move(a), std::move(b));
            },
            prompts);
        window->loadWindow();
        window->Timer1()->stop();
    }
    ~Rig() {
        window.reset();
        QDir::setCurrent(previous);
    }
    QComboBox* box(const char* name) const { return window->findChild<QComboBox*>(name); }
    void choose(int index) const {
        box("VoiceCB")->setCurrentIndex(index);
        emit box("VoiceCB")->activated(index);
    }
    QStringList items() const {
        QStringList texts;
        for (int i = 0; i < box("VoiceCB")->count(); ++i)
            texts << box("VoiceCB")->itemText(i);
        return texts;
    }
};

} // namespace

class TestTTSSetupVoices : public QObject {
    Q_OBJECT
private slots:
    void oneListFirstEngineFirst() {
        Rig rig;
        QCOMPARE(rig.items(), QStringList({"English (America)", "English (Great Britain)", "German",
                                           "English (espeak-ng)", "kal (festival)"}));
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 0);
        QVERIFY(rig.box("FormatCB")->toolTip().isEmpty());
    }

    void choosingRoutesSpeakingAndTooltipsFollow() {
        Rig rig;
        rig.choose(4);
        QCOMPARE(rig.second->Voice().Id(), QStringLiteral("speechd:festival/kal"));
        // Files are still written by the first engine, with its last voice.
        QCOMPARE(rig.window->Voice()->WaveFileVoice().Id(), QStringLiteral("voice/en-us"));
        QVERIFY(rig.box("FormatCB")->toolTip().contains(QLatin1String("espeak-ng voices only")));
        QVERIFY(
            rig.box("AudioOutputCB")->toolTip().contains(QLatin1String("espeak-ng voices only")));
        rig.window->handedOverBox()->setText(QStringLiteral("hello"));
        rig.window->onSpeakingTick();
        QCOMPARE(rig.second->lastText(), QStringLiteral("HELLO"));
        QVERIFY(rig.first->calls.isEmpty());

        // The events of the server's stream drive the window, then back to the first engine.
        rig.second->startStream();
        QVERIFY(!rig.window->SpeakBtn()->isEnabled());
        rig.choose(1);
        QVERIFY(rig.box("FormatCB")->toolTip().isEmpty());
        rig.window->handedOverBox()->setText(QStringLiteral("again"));
        rig.window->onSpeakingTick(); // waits: the server's stream is still heard
        rig.second->endStream();
        QVERIFY(rig.window->SpeakBtn()->isEnabled());
        rig.window->onSpeakingTick();
        QCOMPARE(rig.first->lastText(), QStringLiteral("AGAIN"));
        QCOMPARE(rig.second->stops.size(), 1); // silenced when the first spoke

        // The old stream of the server raises nothing any more.
        QSignalSpy words(rig.window->Voice(), &SpVoice::Word);
        rig.second->word(0, 5, 1);
        rig.first->word(0, 5);
        QCOMPARE(words.size(), 1);
    }

    void lateVoicesTakeTheSavedChoice() {
        Rig rig({{"speechd:espeak-ng/English", "English (espeak-ng)"}}, 3);
        QCOMPARE(rig.items().size(), 3);
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 0);
        rig.second->voices = {{"speechd:espeak-ng/English", "English (espeak-ng)"}};
        emit rig.second->VoicesAdded();
        QCOMPARE(rig.items().size(), 4);
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 3);
        QCOMPARE(rig.window->Voice()->Voice().Id(), QStringLiteral("speechd:espeak-ng/English"));
    }

    void lateVoicesDoNotOverrideTheUser() {
        Rig rig({{"x", "x"}}, 3);
        rig.choose(2);
        rig.second->voices = {{"speechd:espeak-ng/English", "English (espeak-ng)"}};
        emit rig.second->VoicesAdded();
        QCOMPARE(rig.items().size(), 4);
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 2);
    }

    // A German sentence while a server voice is chosen: the first engine's German voice reads
    // it, and both engines keep their own voices.
    void languageVoiceLeavesEachEngineItsOwn() {
        Rig rig;
        rig.choose(3); // "English (espeak-ng)" on the server
        rig.window->handOverInLanguage(QStringLiteral("Hallo."), QStringLiteral("de"), 1);
        rig.window->onSpeakingTick();
        QCOMPARE(rig.first->calls.constLast().voice.Id(), QStringLiteral("voice/de"));
        QCOMPARE(rig.first->Voice().Id(), QStringLiteral("voice/en-us"));
        QCOMPARE(rig.window->Voice()->Voice().Id(), QStringLiteral("speechd:espeak-ng/English"));
        rig.first->speakThrough();
        rig.window->handedOverBox()->setText(QStringLiteral("hello"));
        rig.window->onSpeakingTick();
        QCOMPARE(rig.second->lastText(), QStringLiteral("HELLO"));
    }

    void savedVoiceKeptWithNoServer() {
        Rig rig({{"x", "x"}}, 4);
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 0);
        rig.window->unloadWindow();
        QFile file(QStringLiteral("VIC.INI"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll().startsWith("VOICECB= 4\r\n"));
    }

    void serverAwayStandInOfTheSameLanguage() {
        Rig rig;
        rig.choose(4); // "kal (festival)", a German voice
        rig.second->available = false;
        emit rig.second->ServiceStopped();
        QCoreApplication::processEvents(); // the notice is said once the loop is free
        const QString notice = QStringLiteral(
            "The desktop speech service stopped. Orasent will reconnect. Until then, an "
            "espeak-ng voice of the same language reads.");
        QCOMPARE(rig.first->lastText(), notice);
        QCOMPARE(rig.first->calls.constLast().voice.Id(), QStringLiteral("voice/de"));
        rig.first->speakThrough();
        QVERIFY(rig.window->SpeakBtn()->isEnabled());

        rig.window->handedOverBox()->setText(QStringLiteral("hallo"));
        rig.window->onSpeakingTick();
        QCOMPARE(rig.first->lastText(), QStringLiteral("HALLO"));
        QCOMPARE(rig.first->calls.constLast().voice.Id(), QStringLiteral("voice/de"));
        rig.first->voiceChange({QStringLiteral("voice/de"), QStringLiteral("German")});
        QCOMPARE(rig.box("VoiceCB")->currentIndex(), 4);
        QCOMPARE(rig.first->Voice().Id(), QStringLiteral("voice/en-us"));
        rig.first->speakThrough();

        // Back: the chosen voice speaks again, without a new notice.
        rig.second->available = true;
        emit rig.second->ServiceRestored();
        const qsizetype stopsBefore = rig.first->stops.size();
        rig.window->handedOverBox()->setText(QStringLiteral("wieder"));
        rig.window->onSpeakingTick();
        QCOMPARE(rig.second->lastText(), QStringLiteral("WIEDER"));
        QCOMPARE(rig.first->stops.size(), stopsBefore + 1); // the stand-in is silenced
    }
};

QTEST_MAIN(TestTTSSetupVoices)
#include "test_ttssetup_voices.moc"
