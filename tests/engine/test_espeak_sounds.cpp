#include "engine/EspeakSounds.h"

#include <QtTest>

using namespace orasent;

// Each pair is what espeak-ng itself prints for one word with --ipa and with -x: a sound
// converted here is the sound espeak-ng would say for that word.
class TestEspeakSounds : public QObject {
    Q_OBJECT
private slots:
    void namesEspeakSounds_data() {
        QTest::addColumn<QString>("ipa");
        QTest::addColumn<QString>("input");
        QTest::newRow("thought") << "θˈɔːt"
                                 << "[[T'O:t]]";
        QTest::newRow("church") << "tʃˈɜːtʃ"
                                << "[[tS'3:tS]]";
        QTest::newRow("judge") << "dʒˈʌdʒ"
                               << "[[dZ'VdZ]]";
        QTest::newRow("vision") << "vˈɪʒən"
                                << "[[v'IZ@n]]";
        QTest::newRow("house and boy") << "hˈaʊs bˈɔɪ"
                                       << "[[h'aUs b'OI]]";
        QTest::newRow("sing, yes") << "sˈɪŋ jˈɛs"
                                   << "[[s'IN j'Es]]";
        QTest::newRow("poor") << "pˈʊə"
                              << "[[p'U@]]";
        QTest::newRow("lot") << "lˈɒt"
                             << "[[l'0t]]";
        QTest::newRow("slashes and syllables") << "/ˈeɪ.hæb/"
                                               << "[['eIhab]]";
        QTest::newRow("a click has no name") << "ǃa"
                                             << "";
        QTest::newRow("nothing") << "  "
                                 << "";
    }
    void namesEspeakSounds() {
        QFETCH(QString, ipa);
        QFETCH(QString, input);
        QCOMPARE(espeakPhonemeInput(ipa), input);
    }
};

QTEST_GUILESS_MAIN(TestEspeakSounds)
#include "test_espeak_sounds.moc"
