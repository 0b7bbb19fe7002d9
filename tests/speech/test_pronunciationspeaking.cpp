// Pronunciation rules on the speaking path, through the scripted engine: what the voice is
// given, and the band on the words as written while the rewritten words are heard.
#include "FakeVoice.h"
#include "speech/SpeakingCore.h"

#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

using Rule = PronunciationRule;

// A voice that takes sounds in brackets, as espeak-ng does.
class SoundsVoice : public FakeVoice {
public:
    bool saysSounds = true;
    QString inlineSounds(const QString& ipa) const override {
        return saysSounds ? "[[" + ipa + "]]" : QString();
    }
    // Another engine's voice writes its own form.
    QString inlineSoundsWith(const SpObjectToken& voice, const QString& ipa) const override {
        return voice.Id() == "flite/rms" ? "⟦" + ipa + "⟧" : inlineSounds(ipa);
    }
};

std::shared_ptr<const PronunciationRules> rules() {
    Rule doctor;
    doctor.text = "Dr.";
    doctor.alias = "doctor";
    Rule note;
    note.text = "[1]";
    note.say = Rule::Say::Skip;
    Rule nasa;
    nasa.text = "NASA";
    nasa.say = Rule::Say::Spell;
    Rule ahab;
    ahab.text = "Ahab";
    ahab.say = Rule::Say::Sounds;
    ahab.sounds = "eIhab";
    ahab.alias = "Ay hab";
    Rule bill;
    bill.text = "Bill";
    bill.matchCase = true;
    bill.alias = "William";
    return std::make_shared<PronunciationRules>(QVector<Rule>{doctor, note, nasa, ahab, bill});
}

} // namespace

class TestPronunciationSpeaking : public QObject {
    Q_OBJECT
private slots:
    // The upper-case step stays; rules match the words as written and say their own text.
    // Each word heard (as a span of what the voice was given) and the band it puts on the text
    // as handed over.
    void bandOnTheWrittenWords_data() {
        QTest::addColumn<bool>("saysSounds");
        QTest::addColumn<QString>("spoken");
        QTest::addColumn<QString>("heardWord");
        QTest::addColumn<QString>("band");
        const QString withSounds = "doctor [[eIhab]] TOLD BILL AND William OF N A S A.";
        const QString withoutSounds = "doctor Ay hab TOLD BILL AND William OF N A S A.";
        QTest::newRow("alias") << true << withSounds << "doctor"
                               << "Dr.";
        QTest::newRow("sounds") << true << withSounds << "[[eIhab]]"
                                << "Ahab";
        QTest::newRow("after a skip") << true << withSounds << "TOLD"
                                      << "told";
        QTest::newRow("case kept apart") << true << withSounds << "BILL"
                                         << "bill";
        QTest::newRow("match case") << true << withSounds << "William"
                                    << "Bill";
        QTest::newRow("spelled letter") << true << withSounds << "S"
                                        << "S";
        QTest::newRow("alias for a voice without sounds") << false << withoutSounds << "hab"
                                                          << "Ahab";
    }
    void bandOnTheWrittenWords() {
        QFETCH(bool, saysSounds);
        QFETCH(QString, spoken);
        QFETCH(QString, heardWord);
        QFETCH(QString, band);
        SoundsVoice voice;
        voice.saysSounds = saysSounds;
        SpeakingCore core;
        core.setVoice(&voice);
        core.setSpeakFlags(11);
        core.setPronunciation(rules());
        QString shown;
        connect(&core, &SpeakingCore::handedOverWordHeard,
                [&shown](const QString& text, int start, int length) {
                    shown = text.mid(start, length);
                });
        core.start();
        core.timer()->stop();
        const QString written = "Dr. Ahab[1] told bill and Bill of NASA.";
        core.prepareHandOver(written); // what the voice gets ready is what it is then given
        core.setSpeakBoxText(written);
        QCoreApplication::processEvents();
        QCOMPARE(voice.calls.size(), 1);
        QCOMPARE(voice.calls[0].text, spoken);
        QCOMPARE(voice.prepared.size(), 1);
        QCOMPARE(voice.prepared[0].text, spoken);
        QCOMPARE(voice.prepared[0].flags, voice.calls[0].flags);
        const int at = int(spoken.indexOf(heardWord));
        voice.startStream(voice.calls[0].stream);
        voice.word(at, int(heardWord.size()), voice.calls[0].stream);
        QCOMPARE(shown, band);
    }

    // A passage read by the voice chosen for its language gets that voice's form of sounds.
    void soundsInTheFormOfTheVoiceThatSpeaks_data() {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("spoken");
        QTest::newRow("chosen voice") << ""
                                      << "[[eIhab]]";
        QTest::newRow("voice for the language") << "en"
                                                << "⟦eIhab⟧";
    }
    void soundsInTheFormOfTheVoiceThatSpeaks() {
        QFETCH(QString, language);
        QFETCH(QString, spoken);
        SoundsVoice voice;
        SpeakingCore core;
        core.setVoice(&voice);
        core.setPronunciation(rules());
        core.setVoiceChooser([](const QString&, int) {
            return LanguageChoice{SpObjectToken("flite/rms", "Flite"), QString()};
        });
        core.start();
        core.timer()->stop();
        core.handOver({"Ahab", language, 0});
        QCoreApplication::processEvents();
        QCOMPARE(voice.calls.size(), 1);
        QCOMPARE(voice.calls[0].text, spoken);
    }

    void documentRulesOnlyForTheirDocument() {
        FakeVoice voice;
        SpeakingCore core;
        core.setVoice(&voice);
        Rule pip;
        pip.text = "Pip";
        pip.alias = "Pippin";
        pip.scope = Rule::Scope::Document;
        pip.scopeKey = "abc";
        core.setPronunciation(std::make_shared<PronunciationRules>(QVector<Rule>{pip}));
        Rule book;
        book.text = "Queequeg";
        book.alias = "Kweekweg";
        core.setDocumentPronunciation("abc", "en",
                                      std::make_shared<PronunciationRules>(QVector<Rule>{book}));
        QCOMPARE(core.rewriteForSpeech("PIP QUEEQUEG", "Pip Queequeg", {}, true),
                 "Pippin Kweekweg");
        // Not from the document (the clipboard, the speak button): neither applies.
        QCOMPARE(core.rewriteForSpeech("PIP QUEEQUEG", "Pip Queequeg", {}, false), "PIP QUEEQUEG");
    }
};

QTEST_GUILESS_MAIN(TestPronunciationSpeaking)
#include "test_pronunciationspeaking.moc"
