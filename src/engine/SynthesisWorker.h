#pragma once
// The one thread that talks to espeak-ng. espeak-ng is not re-entrant, so every call to it
// (initialisation, the voice list, parameters, synthesis) is made here. Jobs run one after the
// other; a purge aborts the running one at its next audio chunk and drops the queued ones.
// Output goes to the player on the GUI thread as StreamChunks.
#include "engine/SpeechAudioFormat.h"
#include "engine/StreamPlayer.h"

#include <QString>
#include <QVector>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace orasent {

struct EspeakVoiceInfo {
    QString name;        // e.g. "English (America)"
    QString identifier;  // e.g. "gmw/en-US"
    QStringList languages; // e.g. "en-us", best first
};

struct SynthesisJob {
    int stream = 0;
    QString text;
    bool xml = false;
    QString voiceIdentifier;
    int wordsPerMinute = 175;
    double gain = 1.0;
    SpeechAudioFormat format;
};

class SynthesisWorker {
public:
    using ChunkSink = std::function<void(StreamChunk)>;

    // Starts the thread and espeak-ng; waits for the voice list (not for any synthesis).
    explicit SynthesisWorker(ChunkSink sink);
    ~SynthesisWorker();
    SynthesisWorker(const SynthesisWorker&) = delete;
    SynthesisWorker& operator=(const SynthesisWorker&) = delete;

    bool isReady() const { return m_sampleRate > 0; }
    QVector<EspeakVoiceInfo> voices() const { return m_voices; }

    void submit(SynthesisJob job);
    // Every stream up to and including `stream` is dropped.
    void purgeThrough(int stream);

    // The synthesis runs at most this much audio ahead of what the output has taken (1 MB of
    // text is hours of audio); the player reports what it took.
    void consumedUsecs(qint64 usecs);
    static constexpr qint64 kMaxAheadUsecs = 4000000;

    // espeak-ng's rate limits, and the word gap that slows it below its floor (10 ms units).
    static int espeakRateFor(int wordsPerMinute);
    static int wordGapFor(int wordsPerMinute);

private:
    void run();
    void runJob(const SynthesisJob& job);
    bool cancelled(int stream) const { return stream <= m_purgedThrough.load(); }

    ChunkSink m_sink;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<SynthesisJob> m_jobs;
    bool m_quit = false;
    std::atomic<int> m_purgedThrough{0};
    std::mutex m_aheadMutex;
    std::condition_variable m_aheadWake;
    qint64 m_aheadUsecs = 0;

    // Written by the thread before the constructor returns.
    int m_sampleRate = 0;
    QVector<EspeakVoiceInfo> m_voices;
    QString m_currentVoice;

    friend struct SynthesisContext;
};

} // namespace orasent
