// Rules written as IPA, said by the real Flite: the phones in the utterance Flite builds are
// the rule's, also for two such words side by side, and a sound Flite has no phone for leaves
// the rule's alias to be read.
#include "engine/LocalVoices.h"
#include "engine/flite/FliteSynth.h"
#include "speech/PronunciationRules.h"

#include <QtTest>

using namespace orasent;

class TestFliteSounds : public QObject {
    Q_OBJECT
    FliteSynth m_synth;

    static QString said(const QString& text, const QVector<PronunciationRule>& rules) {
        const PronunciationRules compiled(rules);
        SpeechContext context;
        context.inlineSounds = [](const QString& ipa) {
            return inlineSoundsFor(QStringLiteral("flite/cmu_us_rms"), ipa);
        };
        return applyPronunciation(text, text, &compiled, nullptr, context);
    }

private slots:
    void rulePhonesAreSaid_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("ipa");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("phones");
        QTest::newRow("tomato") << "Tomato."
                                << "tomato"
                                << "təˈmɑːtoʊ" << QString() << "t ax0 m aa1 t ow0";
        QTest::newRow("between words")
            << "Say tomato now."
            << "tomato"
            << "təˈmɑːtoʊ" << QString() << "s ey1 t ax0 m aa1 t ow0 n aw1";
        QTest::newRow("side by side")
            << "tomato tomato"
            << "tomato"
            << "təˈmɑːtoʊ" << QString() << "t ax0 m aa1 t ow0 t ax0 m aa1 t ow0";
        QTest::newRow("secondary stress is Flite's stress")
            << "Mississippi"
            << "mississippi"
            << "ˌmɪsɪˈsɪpi" << QString() << "m ih1 s ih0 s ih1 p iy0";
        QTest::newRow("no vowel") << "Hush, shh."
                                  << "shh"
                                  << "ʃ" << QString() << "hh ah1 sh sh";
        QTest::newRow("a sound without a phone: the alias") << "Xhosa"
                                                            << "xhosa"
                                                            << "ˈǁʰosa"
                                                            << "Kosa"
                                                            << "k ow1 s ax0";
    }
    void rulePhonesAreSaid() {
        QFETCH(QString, text);
        QFETCH(QString, word);
        QFETCH(QString, ipa);
        QFETCH(QString, alias);
        QFETCH(QString, phones);
        PronunciationRule rule;
        rule.text = word;
        rule.say = PronunciationRule::Say::Sounds;
        rule.sounds = ipa;
        rule.alias = alias;
        const QString spoken = said(text, {rule});
        QCOMPARE(
            m_synth.phones(QStringLiteral("flite/cmu_us_rms"), FliteText(spoken, false)).join(u' '),
            phones);
    }
};

QTEST_GUILESS_MAIN(TestFliteSounds)
#include "test_flite_sounds.moc"
