// Figures of the espeak-ng engine. Run it with a sound server, e.g.
//   scripts/with-pulseaudio.sh build/bench/bench_engine
// Without an audio device only the synthesis figures are printed.
#include "engine/EspeakVoice.h"
#include "engine/PcmOutput.h"

#include <QAudioDevice>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QSignalSpy>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <espeak-ng/speak_lib.h>
#include <sys/resource.h>

using namespace orasent;

namespace {

QElapsedTimer g_clock;
double nowMs() {
    return g_clock.nsecsElapsed() / 1e6;
}

const QString kParagraph = QStringLiteral(
    "The reading aid speaks one sentence at a time. Each word is highlighted while it is heard, "
    "so the eyes can follow the voice. A pause follows every sentence, and the next one starts "
    "when the reader is ready. Numbers such as 1234 and abbreviations like e.g. are spoken too.");

// Wraps an output and notes when things happened to it.
struct Probe {
    double firstWriteMs = -1;
    double discardMs = -1;
    QList<QPair<double, qint64>> plays; // wall time, frames heard
};

class ProbeOutput : public PcmOutput {
public:
    ProbeOutput(std::unique_ptr<PcmOutput> inner, Probe* probe)
        : m_inner(std::move(inner)), m_probe(probe) {}
    void open(const SpeechAudioFormat& f) override { m_inner->open(f); }
    qint64 write(const char* d, qint64 n) override {
        const qint64 done = m_inner->write(d, n);
        if (done > 0 && m_probe->firstWriteMs < 0)
            m_probe->firstWriteMs = nowMs();
        return done;
    }
    qint64 playedFrames() override {
        const qint64 p = m_inner->playedFrames();
        m_probe->plays.append({nowMs(), p});
        return p;
    }
    bool failed() const override { return m_inner->failed(); }
    void close() override { m_inner->close(); }
    void discard() override {
        m_inner->discard();
        m_probe->discardMs = nowMs();
    }
    bool wantsTrailingSilence() const override { return m_inner->wantsTrailingSilence(); }

private:
    std::unique_ptr<PcmOutput> m_inner;
    Probe* m_probe;
};

// Takes everything at once and counts it as heard: the speed of synthesis alone.
class InstantOutput : public PcmOutput {
public:
    void open(const SpeechAudioFormat& f) override { m_bpf = f.channels * f.bitsPerSample / 8; }
    qint64 write(const char*, qint64 n) override {
        m_frames += n / m_bpf;
        return n;
    }
    qint64 playedFrames() override { return m_frames; }
    bool failed() const override { return false; }
    void close() override {}
    void discard() override {}

private:
    int m_bpf = 2;
    qint64 m_frames = 0;
};

double percentile(QList<double> v, double p) {
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.at(qMin(v.size() - 1, int(p * (v.size() - 1) + 0.5)));
}

long peakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void waitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Speak returns at once: the stream is waited for to its end.
void speakToEnd(SpVoice& voice, const QString& text) {
    int ended = 0;
    const auto c = QObject::connect(&voice, &SpVoice::EndStream,
                                    [&ended](int stream, const QVariant&) { ended = stream; });
    const int stream = voice.Speak(text, SVSFlagsAsync);
    waitFor([&] { return ended == stream; }, 600000);
    QObject::disconnect(c);
}

void throughput(EspeakVoice& voice) {
    QString text;
    for (int i = 0; i < 20; ++i)
        text += kParagraph + QLatin1Char(' ');
    voice.setOutputFactory([] { return std::make_unique<InstantOutput>(); });
    speakToEnd(voice, QStringLiteral("warm up"));
    QElapsedTimer t;
    t.start();
    speakToEnd(voice, text);
    const double oursMs = t.nsecsElapsed() / 1e6;
    voice.setOutputFactory({});

    // Plain espeak-ng on this thread, same voice and rate; the engine's callback ignores audio
    // that is not its own, so this is synthesis alone.
    espeak_SetVoiceByName(voice.Voice().Id().toUtf8().constData());
    espeak_SetParameter(espeakRATE, 175, 0);
    const QByteArray utf8 = text.toUtf8();
    t.restart();
    espeak_Synth(utf8.constData(), size_t(utf8.size()) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8,
                 nullptr, nullptr);
    const double plainMs = t.nsecsElapsed() / 1e6;
    std::printf("synthesis of %lld characters: engine %.0f ms, plain espeak-ng %.0f ms, throughput "
                "ratio %.2f (goal >= 0.9)\n",
                (long long)text.size(), oursMs, plainMs, plainMs / oursMs);
}

void deviceFigures(EspeakVoice& voice) {
    Probe* probe = nullptr;
    voice.setOutputFactory([&probe] {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        return std::make_unique<ProbeOutput>(std::make_unique<DevicePcmOutput>(device), probe);
    });

    // Speak -> first sample written (warm: the device and espeak-ng have been used before).
    QList<double> latency;
    for (int i = 0; i < 8; ++i) {
        Probe p;
        probe = &p;
        QSignalSpy ends(&voice, &SpVoice::EndStream);
        const double start = nowMs();
        voice.Speak(QStringLiteral("Ready."), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        waitFor([&] { return !ends.isEmpty(); }, 10000);
        if (i > 0 && p.firstWriteMs >= 0)
            latency << p.firstWriteMs - start;
    }
    std::printf("Speak -> first sample written to the device (warm, %lld runs): p50 %.1f ms, max "
                "%.1f ms (goal <= 20 ms)\n",
                (long long)latency.size(), percentile(latency, 0.5), percentile(latency, 1.0));

    // Word events against the moment their first frame was heard.
    {
        Probe p;
        probe = &p;
        QList<QPair<double, qint64>> words; // wall time, frame
        const auto c =
            QObject::connect(&voice, &SpVoice::Word, [&](int, const QVariant& pos, int, int) {
                words.append({nowMs(), pos.toLongLong() / 2});
            });
        speakToEnd(voice, kParagraph);
        QObject::disconnect(c);
        // The listener's clock: heard frames against wall time, as the sink reports them.
        // A frame was heard at the first report that covers it, interpolated with the report
        // before.
        QList<double> deltas;
        for (const auto& w : std::as_const(words)) {
            for (int i = 1; i < p.plays.size(); ++i) {
                if (p.plays[i].second >= w.second && p.plays[i].second > p.plays[i - 1].second) {
                    const auto& a = p.plays[i - 1];
                    const auto& b = p.plays[i];
                    const double heard = a.first + (b.first - a.first) *
                                                       double(w.second - a.second) /
                                                       double(b.second - a.second);
                    deltas << w.first - heard;
                    break;
                }
            }
        }
        QList<double> absolute;
        for (double d : deltas)
            absolute << std::abs(d);
        std::printf("Word event minus first sample heard (%lld words): p50 %.1f ms, p95 %.1f ms, "
                    "max |%.1f| ms (goal p95 within 30 ms)\n",
                    (long long)deltas.size(), percentile(deltas, 0.5), percentile(deltas, 0.95),
                    percentile(absolute, 1.0));
    }

    // Purge -> the old stream's audio ends.
    {
        QList<double> purge;
        for (int i = 0; i < 5; ++i) {
            Probe old;
            probe = &old;
            QSignalSpy words(&voice, &SpVoice::Word);
            voice.Speak(kParagraph, SVSFlagsAsync | SVSFPurgeBeforeSpeak);
            waitFor([&] { return words.count() >= 3; }, 10000);
            Probe fresh;
            probe = &fresh;
            const double start = nowMs();
            voice.Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak | SVSFIsXML);
            if (old.discardMs >= 0)
                purge << old.discardMs - start;
            QSignalSpy ends(&voice, &SpVoice::EndStream);
            waitFor([&] { return !ends.isEmpty(); }, 10000);
        }
        std::printf("purging Speak -> old stream's audio stopped (%lld runs): p50 %.2f ms, max "
                    "%.2f ms (goal <= 50 ms)\n",
                    (long long)purge.size(), percentile(purge, 0.5), percentile(purge, 1.0));
    }

    // Peak memory while speaking 1 MB of text for a while.
    {
        Probe p;
        probe = &p;
        QString big;
        while (big.size() < 1024 * 1024)
            big += kParagraph + QLatin1Char(' ');
        const long before = peakRssKb();
        QSignalSpy words(&voice, &SpVoice::Word);
        voice.Speak(big, SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        QElapsedTimer t;
        t.start();
        waitFor([] { return false; }, 8000);
        const long during = peakRssKb();
        voice.Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak);
        std::printf(
            "speaking a 1 MB text for 8 s (%lld words heard): peak RSS %ld MB (before: %ld MB)\n",
            (long long)words.count(), during / 1024, before / 1024);
    }
    voice.setOutputFactory({});
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    g_clock.start();
    EspeakVoice voice;
    std::printf("espeak-ng voices: %lld, first: %s\n", (long long)voice.GetVoices().size(),
                qPrintable(voice.Voice().GetDescription()));
    throughput(voice);
    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::printf("no audio output device: device figures skipped (run under "
                    "scripts/with-pulseaudio.sh)\n");
        return 0;
    }
    std::printf("audio output: %s\n",
                qPrintable(QMediaDevices::defaultAudioOutput().description()));
    deviceFigures(voice);
    return 0;
}
