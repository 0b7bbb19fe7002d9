// The same text spoken into WAV files in all 36 formats: header, length and event positions
// follow the conversion from espeak-ng's 22050 Hz mono 16-bit audio.
#include "SpeakAndWait.h"
#include "engine/EspeakVoice.h"
#include "engine/SpeechAudioFormat.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <sndfile.h>

#include <cmath>

using namespace orasent;
using orasent::test::speakAndWait;

namespace {
const QString kText = QStringLiteral("Seven formats, nine rates, and every word in its place.");

struct Spoken {
    QList<qint64> wordBytes; // stream positions of the Word events
    QList<int> wordPos;
    qint64 endBytes = 0;
};

Spoken speakInto(EspeakVoice& voice, const QString& path) {
    Spoken out;
    QSignalSpy words(&voice, &SpVoice::Word);
    QSignalSpy ends(&voice, &SpVoice::EndStream);
    voice.setAudioOutputToWaveFile(path);
    speakAndWait(voice, kText);
    voice.setAudioOutputToWaveFile({});
    for (const auto& w : std::as_const(words)) {
        out.wordBytes << w.at(1).toLongLong();
        out.wordPos << w.at(2).toInt();
    }
    if (!ends.isEmpty())
        out.endBytes = ends.first().at(1).toLongLong();
    return out;
}
} // namespace

class TestFormats : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    std::unique_ptr<EspeakVoice> m_voice;
    Spoken m_reference; // 22050 Hz mono 16-bit
    qint64 m_referenceFrames = 0;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_voice = std::make_unique<EspeakVoice>();
        m_voice->setAudioOutputFormatType(SAFT22kHz16BitMono);
        m_reference = speakInto(*m_voice, m_dir.filePath(QStringLiteral("reference.wav")));
        QVERIFY(m_reference.wordBytes.size() >= 8);
        m_referenceFrames = m_reference.endBytes / 2;
        QVERIFY(m_referenceFrames > 22050); // over a second of speech
    }

    void format_data() {
        QTest::addColumn<int>("type");
        for (const SpeechAudioFormat& f : speechAudioFormats())
            QTest::newRow(qPrintable(f.name)) << f.type;
    }
    void format() {
        QFETCH(int, type);
        const SpeechAudioFormat f = speechAudioFormat(type);
        m_voice->setAudioOutputFormatType(type);
        QCOMPARE(m_voice->AudioOutputFormatType(), type);
        const QString path = m_dir.filePath(f.name + QStringLiteral(".wav"));
        const Spoken spoken = speakInto(*m_voice, path);

        SF_INFO info{};
        SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
        QVERIFY(file);
        QCOMPARE(info.samplerate, f.sampleRate);
        QCOMPARE(info.channels, f.channels);
        QCOMPARE(info.format & SF_FORMAT_TYPEMASK, SF_FORMAT_WAV);
        QCOMPARE(info.format & SF_FORMAT_SUBMASK,
                 f.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);

        // Same duration as the reference, within a few milliseconds.
        const double seconds = double(info.frames) / f.sampleRate;
        const double referenceSeconds = double(m_referenceFrames) / 22050;
        QVERIFY2(
            std::abs(seconds - referenceSeconds) < 0.005,
            qPrintable(QStringLiteral("%1 s against %2 s").arg(seconds).arg(referenceSeconds)));
        const int bytesPerFrame = f.channels * f.bitsPerSample / 8;
        QCOMPARE(spoken.endBytes, qint64(info.frames) * bytesPerFrame);

        // The words sit at the same times, scaled to the format.
        QCOMPARE(spoken.wordPos, m_reference.wordPos);
        for (int i = 0; i < spoken.wordBytes.size(); ++i) {
            QCOMPARE(spoken.wordBytes[i] % bytesPerFrame, 0);
            const double at = double(spoken.wordBytes[i] / bytesPerFrame) / f.sampleRate;
            const double referenceAt = double(m_reference.wordBytes[i] / 2) / 22050;
            QVERIFY2(std::abs(at - referenceAt) < 0.001,
                     qPrintable(QStringLiteral("word %1").arg(i)));
        }

        // Real speech, with both channels alike in stereo.
        std::vector<float> samples(size_t(info.frames) * size_t(info.channels));
        QCOMPARE(sf_readf_float(file, samples.data(), info.frames), info.frames);
        sf_close(file);
        double energy = 0;
        for (sf_count_t i = 0; i < info.frames; ++i) {
            const float left = samples[size_t(i * info.channels)];
            energy += double(left) * left;
            if (info.channels == 2)
                QCOMPARE(samples[size_t(i * 2 + 1)], left);
        }
        const double rms = std::sqrt(energy / double(info.frames));
        QVERIFY2(rms > 0.02, qPrintable(QStringLiteral("rms %1").arg(rms)));
    }

    void refusedFormatChangesNothing() {
        m_voice->setAudioOutputFormatType(SAFT22kHz16BitMono);
        QVERIFY_THROWS_EXCEPTION(SpeechError, m_voice->setAudioOutputFormatType(3));
        QVERIFY_THROWS_EXCEPTION(SpeechError, m_voice->setAudioOutputFormatType(40));
        QCOMPARE(m_voice->AudioOutputFormatType(), SAFT22kHz16BitMono);
        // A file that already holds audio keeps its format.
        m_voice->setAudioOutputToWaveFile(m_dir.filePath(QStringLiteral("keep.wav")));
        QVERIFY(speakAndWait(*m_voice, QStringLiteral("hello")));
        QVERIFY_THROWS_EXCEPTION(SpeechError, m_voice->setAudioOutputFormatType(4));
        QCOMPARE(m_voice->AudioOutputFormatType(), SAFT22kHz16BitMono);
        m_voice->setAudioOutputToWaveFile({});
    }

    void unwritableWaveFileThrows() {
        QVERIFY_THROWS_EXCEPTION(SpeechError, m_voice->setAudioOutputToWaveFile(m_dir.filePath(
                                                  QStringLiteral("no/such/dir/x.wav"))));
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "test_formats.moc"
