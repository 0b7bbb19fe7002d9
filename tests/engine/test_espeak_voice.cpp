// Voices, rate, volume, the sample folder and failure paths of the espeak-ng voice (WAV output,
// no audio device needed).
#include "SpeakAndWait.h"
#include "engine/EspeakVoice.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

#include <cmath>

using namespace orasent;
using orasent::test::speakAndWait;

namespace {
struct Audio {
    qint64 frames = 0;
    double peak = 0;
};
Audio speakToFile(EspeakVoice& voice, const QString& path, const QString& text) {
    voice.setAudioOutputToWaveFile(path);
    speakAndWait(voice, text);
    voice.setAudioOutputToWaveFile({});
    Audio audio;
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return audio;
    std::vector<float> samples(size_t(info.frames * info.channels));
    sf_readf_float(file, samples.data(), info.frames);
    sf_close(file);
    audio.frames = info.frames;
    for (float s : samples)
        audio.peak = std::max(audio.peak, double(std::abs(s)));
    return audio;
}
} // namespace

class TestEspeakVoice : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void voicesAreStableAndDistinct() {
        EspeakVoice voice;
        const SpObjectTokens voices = voice.GetVoices();
        QVERIFY2(voices.size() > 100, qPrintable(QString::number(voices.size())));
        QCOMPARE(voice.GetVoices(), voices);
        QSet<QString> descriptions;
        for (const SpObjectToken& t : voices) {
            QVERIFY(!t.GetDescription().isEmpty());
            descriptions.insert(t.GetDescription());
        }
        QCOMPARE(descriptions.size(), voices.size());
        QCOMPARE(EspeakVoice().GetVoices(), voices);
    }

    void localeVoiceComesFirst_data() {
        QTest::addColumn<QByteArray>("lang");
        QTest::addColumn<QString>("first");
        QTest::newRow("en_US") << QByteArray("en_US.UTF-8") << QStringLiteral("English (America)");
        QTest::newRow("en_GB") << QByteArray("en_GB.UTF-8")
                               << QStringLiteral("English (Great Britain)");
        QTest::newRow("de_DE") << QByteArray("de_DE.UTF-8") << QStringLiteral("German");
        QTest::newRow("fr_CA") << QByteArray("fr_CA") << QStringLiteral("French (France)");
        QTest::newRow("pt_BR") << QByteArray("pt_BR.UTF-8")
                               << QStringLiteral("Portuguese (Brazil)");
        QTest::newRow("C") << QByteArray("C") << QStringLiteral("English (Great Britain)");
    }
    void localeVoiceComesFirst() {
        QFETCH(QByteArray, lang);
        QFETCH(QString, first);
        const QByteArray saved = qgetenv("LANG");
        qunsetenv("LC_ALL");
        qunsetenv("LC_MESSAGES");
        qputenv("LANG", lang);
        EspeakVoice voice;
        qputenv("LANG", saved);
        QCOMPARE(voice.GetVoices().first().GetDescription(), first);
        QCOMPARE(voice.Voice(), voice.GetVoices().first());
    }

    void setVoiceByToken() {
        EspeakVoice voice;
        const SpObjectTokens voices = voice.GetVoices();
        voice.setVoice(voices.at(5));
        QCOMPARE(voice.Voice(), voices.at(5));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setVoice(SpObjectToken(QStringLiteral("nope"),
                                                                           QStringLiteral("x"))));
        QCOMPARE(voice.Voice(), voices.at(5));
        // Another voice really speaks (its first stream raises VoiceChange with its token).
        QSignalSpy changes(&voice, &SpVoice::VoiceChange);
        const Audio audio =
            speakToFile(voice, m_dir.filePath(QStringLiteral("v.wav")), QStringLiteral("hello"));
        QVERIFY(audio.frames > 0);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.first().at(2).value<SpObjectToken>(), voices.at(5));
    }

    void rateChangesTheLength() {
        EspeakVoice voice;
        voice.setRate(-12);
        QCOMPARE(voice.Rate(), -10);
        const QString text = QStringLiteral(
            "Each rate step makes this sentence a little shorter than the one before.");
        QList<qint64> lengths;
        for (int rate : {-10, -8, -5, 0, 5, 10}) {
            voice.setRate(rate);
            lengths << speakToFile(voice, m_dir.filePath(QStringLiteral("rate.wav")), text).frames;
        }
        for (int i = 1; i < lengths.size(); ++i)
            QVERIFY2(lengths[i] < lengths[i - 1],
                     qPrintable(QStringLiteral("%1 then %2").arg(lengths[i - 1]).arg(lengths[i])));
        // About three times slower and faster at the ends (espeak-ng's limits blur it a little).
        const double slow = double(lengths[0]) / lengths[3];
        const double fast = double(lengths[3]) / lengths[5];
        QVERIFY2(slow > 2.0 && slow < 3.6, qPrintable(QString::number(slow)));
        QVERIFY2(fast > 2.0 && fast < 3.6, qPrintable(QString::number(fast)));
    }

    void volumeIsGainOnTheNextStream() {
        EspeakVoice voice;
        const QString text = QStringLiteral("Loud and quiet.");
        const double full =
            speakToFile(voice, m_dir.filePath(QStringLiteral("vol.wav")), text).peak;
        voice.setVolume(50);
        QCOMPARE(voice.Volume(), 50);
        const double half =
            speakToFile(voice, m_dir.filePath(QStringLiteral("vol.wav")), text).peak;
        voice.setVolume(0);
        const double none =
            speakToFile(voice, m_dir.filePath(QStringLiteral("vol.wav")), text).peak;
        QVERIFY(full > 0.1);
        QVERIFY2(std::abs(half / full - 0.5) < 0.02, qPrintable(QString::number(half / full)));
        QCOMPARE(none, 0.0);
    }

    void samplesAreSpoken() {
        EspeakVoice voice;
        QVERIFY(voice.SdkPath().endsWith(QLatin1Char('/')));
        for (const QString& name : {QStringLiteral("Sample.txt"), QStringLiteral("Sample.xml")}) {
            QFile file(voice.SdkPath() + QStringLiteral("samples/common/") + name);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QSignalSpy words(&voice, &SpVoice::Word);
            voice.setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("sample.wav")));
            speakAndWait(voice, text, name.endsWith(QLatin1String(".xml")) ? SVSFIsXML : 0);
            voice.setAudioOutputToWaveFile({});
            QVERIFY2(words.count() > 20, qPrintable(name));
            for (const auto& w : std::as_const(words))
                QVERIFY(!text.mid(w.at(2).toInt(), w.at(3).toInt()).contains(QLatin1Char('<')));
        }
    }

    void noDeviceMeansNoOutputsAndSpeakFails() {
        if (!QMediaDevices::audioOutputs().isEmpty())
            QSKIP("an audio output device is present; this checks the machine without one");
        EspeakVoice voice;
        QVERIFY(voice.GetAudioOutputs().isEmpty());
        QVERIFY(voice.AudioOutput().isNull());
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Speak(QStringLiteral("hello"), SVSFlagsAsync));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.Speak(QStringLiteral("hello"), SVSFDefault));
        QVERIFY_THROWS_EXCEPTION(SpeechError, voice.setAudioOutput(SpObjectToken(
                                                  QStringLiteral("x"), QStringLiteral("x"))));
        QVERIFY(voice.isIdle());
    }
};

QTEST_GUILESS_MAIN(TestEspeakVoice)
#include "test_espeak_voice.moc"
