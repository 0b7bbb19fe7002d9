// The Voice box over espeak-ng, the desktop server and Flite: a "VIC.INI" written before Flite's
// voices were listed keeps its voice, a new user hears the clearest English voice, and the
// server's voices that come late take their places before Flite's with the chosen voice kept.
#include "FakePrompts.h"
#include "FakeVoice.h"
#include "engine/CombinedVoice.h"
#include "engine/LocalVoices.h"
#include "speech/SpeechSettingsFile.h"
#include "speech/ui/TTSSetup.h"

#include <QComboBox>
#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

struct Rig {
    QTemporaryDir folder;
    QString previous = QDir::currentPath();
    FakePrompts prompts;
    FakeVoice* second = nullptr;
    std::unique_ptr<TTSSetup> window;

    // savedVoice < 0: no "VIC.INI"; withFlite: the third engine lists Flite's voices.
    Rig(int savedVoice, bool withFlite, bool serverLate = false) {
        QDir::setCurrent(folder.path());
        if (savedVoice >= 0) {
            SpeechSettings saved; // as the program wrote it before Flite's voices
            saved.voiceIndex = savedVoice;
            QString error;
            writeSpeechSettings(QStringLiteral("VIC.INI"), saved, &error);
        }
        window = std::make_unique<TTSSetup>(
            [this, withFlite, serverLate]() -> std::unique_ptr<SpVoice> {
                auto b = std::make_unique<FakeVoice>();
                b->voices = serverLate ? SpObjectTokens()
                                       : SpObjectTokens{{"speechd:a", "A (module)"},
                                                        {"speechd:b", "B (module)"}};
                second = b.get();
                std::unique_ptr<FakeVoice> c;
                if (withFlite) {
                    c = std::make_unique<FakeVoice>();
                    c->voices = fliteVoiceTokens();
                }
                return std::make_unique<CombinedVoice>(std::make_unique<FakeVoice>(), std::move(b),
                                                       nullptr, std::move(c));
            },
            prompts);
        window->loadWindow();
        window->Timer1()->stop();
    }
    ~Rig() {
        window.reset();
        QDir::setCurrent(previous);
    }
    QComboBox* box() const { return window->findChild<QComboBox*>("VoiceCB"); }
};

} // namespace

class TestTTSSetupVoiceOrder : public QObject {
    Q_OBJECT
private slots:
    void oldIndexKeepsItsVoice_data() {
        QTest::addColumn<int>("saved");
        QTest::addColumn<bool>("withFlite");
        QTest::addColumn<QString>("voice");
        for (const bool flite : {false, true}) {
            const char* with = flite ? "with Flite" : "without Flite";
            QTest::addRow("espeak-ng voice, %s", with) << 1 << flite << "English (Great Britain)";
            QTest::addRow("last espeak-ng voice, %s", with) << 2 << flite << "German";
            QTest::addRow("desktop voice, %s", with) << 3 << flite << "A (module)";
            QTest::addRow("last desktop voice, %s", with) << 4 << flite << "B (module)";
        }
    }
    void oldIndexKeepsItsVoice() {
        QFETCH(int, saved);
        QFETCH(bool, withFlite);
        QFETCH(QString, voice);
        Rig rig(saved, withFlite);
        QCOMPARE(rig.box()->currentText(), voice);
        QCOMPARE(rig.window->Voice()->Voice().GetDescription(), voice);
    }

    void newUserHearsTheClearestVoice() {
        if (fliteVoiceTokens().isEmpty())
            QSKIP("built without Flite");
        Rig rig(-1, true);
        QCOMPARE(rig.box()->count(), 3 + 2 + int(fliteVoiceTokens().size()));
        QCOMPARE(rig.box()->currentText(), QStringLiteral("English (America), Flite, male (rms)"));
        QCOMPARE(rig.window->Voice()->Voice().Id(), QStringLiteral("flite/cmu_us_rms"));
    }

    void lateServerVoicesComeBeforeFlite() {
        if (fliteVoiceTokens().isEmpty())
            QSKIP("built without Flite");
        Rig rig(-1, true, true);
        QCOMPARE(rig.box()->currentIndex(), 3);
        rig.second->voices = {{"speechd:a", "A (module)"}, {"speechd:b", "B (module)"}};
        emit rig.second->VoicesAdded();
        QCOMPARE(rig.box()->itemText(3), QStringLiteral("A (module)"));
        QCOMPARE(rig.box()->itemText(5), QStringLiteral("English (America), Flite, male (rms)"));
        QCOMPARE(rig.box()->currentIndex(), 5);
        QCOMPARE(rig.window->Voice()->Voice().Id(), QStringLiteral("flite/cmu_us_rms"));
    }
};

QTEST_MAIN(TestTTSSetupVoiceOrder)
#include "test_ttssetup_voice_order.moc"
