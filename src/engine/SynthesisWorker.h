#pragma once
// The one thread that talks to espeak-ng. espeak-ng is not re-entrant, so every call to it
// (initialisation, the voice list, parameters, synthesis) is made here. Jobs run one after the
// other; a purge aborts the running one at its next audio chunk and drops the queued ones.
// Output goes to the player on the GUI thread as StreamChunks.
#include "engine/SpeechAudioFormat.h"
#include "engine/StreamPlayer.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace orasent {

struct EspeakVoiceInfo {
    QString name;          // e.g. "English (America)"
    QString identifier;    // e.g. "gmw/en-US"
    QStringList languages; // e.g. "en-us", as espeak-ng lists them
    QList<int> priorities; // per language: lower fits better
};

struct SynthesisJob {
    const void* owner = nullptr; // the voice that asked
    int stream = 0;
    QString text;
    bool xml = false;
    QString voiceIdentifier;
    int wordsPerMinute = 175;
    double gain = 1.0;
    SpeechAudioFormat format;
    std::function<void(StreamChunk)> deliver; // called on the worker thread
    // A played stream waits for its output; a stream written to a file runs at full speed.
    bool paced = true;
};

// A synthesis thread as the voices and the export use it: jobs in, StreamChunks out.
class SynthesisBackend {
public:
    virtual ~SynthesisBackend() = default;
    virtual bool isReady() const = 0;
    virtual void submit(SynthesisJob job) = 0;
    // Drops the owner's streams up to and including `stream`: queued ones at once, the running
    // one soon (at its next audio chunk or phrase).
    virtual void purge(const void* owner, int stream) = 0;
    // Drops all of the owner's streams and returns once none of them is being synthesized, so
    // that nothing is delivered to the owner afterwards.
    virtual void forget(const void* owner) = 0;
    // The player took this much audio; a paced synthesis may run that much further ahead.
    virtual void consumedUsecs(qint64 usecs) = 0;
    // A hint that a job like this one (its stream and deliver unset) is submitted soon: the
    // backend may get its first audio ready when it has nothing else to do.
    virtual void prepare(SynthesisJob job) { Q_UNUSED(job); }
};

// The thread that synthesizes a voice's identifier: Flite's for "flite/..." voices when Flite is
// built in, else espeak-ng's.
SynthesisBackend& synthesisBackendFor(const QString& voiceIdentifier);

class SynthesisWorker : public SynthesisBackend {
public:
    // The process's one espeak-ng thread (espeak-ng keeps global state and cannot be started
    // twice). Started on first use; waits for the voice list, never for a synthesis.
    static SynthesisWorker& instance();
    ~SynthesisWorker() override;
    SynthesisWorker(const SynthesisWorker&) = delete;
    SynthesisWorker& operator=(const SynthesisWorker&) = delete;

    bool isReady() const override { return m_sampleRate > 0; }
    QVector<EspeakVoiceInfo> voices() const { return m_voices; }

    void submit(SynthesisJob job) override;
    void purge(const void* owner, int stream) override;
    void forget(const void* owner) override;

    // The synthesis runs at most this much audio ahead of what the output has taken (1 MB of
    // text is hours of audio); the player reports what it took.
    void consumedUsecs(qint64 usecs) override;
    static constexpr qint64 kMaxAheadUsecs = 4000000;

    // espeak-ng's rate limits, and the word gap that slows it below its floor (10 ms units).
    static int espeakRateFor(int wordsPerMinute);
    static int wordGapFor(int wordsPerMinute);

private:
    SynthesisWorker();
    void run();
    void runJob(const SynthesisJob& job);
    bool cancelled(const SynthesisJob& job);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_jobDone;
    std::deque<SynthesisJob> m_jobs;
    bool m_quit = false;
    const void* m_runningOwner = nullptr;
    QHash<const void*, int> m_purgedThrough; // per owner; INT_MAX once forgotten
    std::mutex m_aheadMutex;
    std::condition_variable m_aheadWake;
    qint64 m_aheadUsecs = 0;

    // Written by the thread before instance() returns.
    int m_sampleRate = 0;
    QVector<EspeakVoiceInfo> m_voices;
    QString m_currentVoice;

    friend struct SynthesisContext;
};

} // namespace orasent
