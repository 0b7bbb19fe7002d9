#pragma once
// The one thread that talks to Flite (its voices and lexicon are shared state). A job is
// synthesized phrase by phrase, and a phrase's audio goes out while Flite makes it (its words'
// events with its first piece). A played text's first phrase is its first few words, so speech
// starts after a few words' synthesis; Flite's silence before the first word goes, and where a
// phrase was cut inside a sentence the speech runs on without the pause between them. A
// purge stops the synthesis within one piece (FliteSynth::kPieceSamples), and a played stream
// keeps at most kMaxAheadUsecs of audio ahead of the output. Runs of a script Flite cannot read
// are spoken in their place by espeak-ng's voice for that script.
#include "engine/ForeignSpeech.h"
#include "engine/SynthesisWorker.h"
#include "engine/flite/FlitePreparedStart.h"

#include <QHash>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace orasent {

class FliteSynth;
struct FliteAudioPiece;

class FliteWorker : public SynthesisBackend {
public:
    // The process's shared thread, which the live voices speak through.
    static FliteWorker& instance();
    // A thread of the caller's own, with Flite voice objects of its own: it synthesizes beside
    // the others (Flite is thread-safe once each thread has its own voices).
    static std::unique_ptr<FliteWorker> create();
    ~FliteWorker() override;
    FliteWorker(const FliteWorker&) = delete;
    FliteWorker& operator=(const FliteWorker&) = delete;

    bool isReady() const override { return true; }
    void submit(SynthesisJob job) override;
    void purge(const void* owner, int stream) override;
    void forget(const void* owner) override;
    void consumedUsecs(qint64 usecs) override;
    // The first phrase of a text likely spoken next is made once no job waits, and kept for it.
    void prepare(SynthesisJob job) override;
    // Returns once no job or text to prepare waits or runs.
    void settle();
    // How many jobs have started with a prepared first phrase.
    int preparedStarts() const { return m_preparedStarts.load(); }

    static constexpr qint64 kMaxAheadUsecs = 4000000;
    // A played text's first phrase ends at the first blank after this many bytes (two words or
    // so, about 10 ms of synthesis before the first audio).
    static constexpr int kFirstPhraseBytes = 6;
    // Flite's speed for the words a minute a job asks for (175 is the voice's everyday pace).
    static double speedFor(int wordsPerMinute) { return wordsPerMinute / 175.0; }

private:
    FliteWorker();
    void run();
    void runJob(const SynthesisJob& job, FliteSynth& synth);
    void runPrepare(const SynthesisJob& job, FliteSynth& synth);
    // The next job to run, or a text to prepare when no job waits; false when the thread ends.
    bool nextJob(SynthesisJob* job, bool* preparing);
    using Step = SpeechStep;
    Step speakFlite(const SynthesisJob& job, FliteSynth& synth, int begin, int end, qint64* frames,
                    QString* error);
    struct Outgoing;
    static void startPhrase(Outgoing& out, const FliteAudioPiece& piece);
    bool take(Outgoing& out, FliteAudioPiece& piece);
    bool send(Outgoing& out, int sampleRate);
    Step speakForeign(const SynthesisJob& job, const ForeignRun& run, qint64* frames,
                      QString* error);
    bool cancelled(const SynthesisJob& job);
    void addAhead(const SynthesisJob& job, qint64 usecs);
    // Waits while a played stream is far enough ahead; false when the job was purged meanwhile.
    bool waitForRoom(const SynthesisJob& job);

    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_jobDone;
    std::deque<SynthesisJob> m_jobs;
    std::optional<SynthesisJob> m_toPrepare;
    FlitePreparedStart m_prepared; // on the worker thread only
    std::atomic<int> m_preparedStarts{0};
    bool m_quit = false;
    const void* m_runningOwner = nullptr;
    QHash<const void*, int> m_purgedThrough;
    std::mutex m_aheadMutex;
    std::condition_variable m_aheadWake;
    qint64 m_aheadUsecs = 0;
};

} // namespace orasent
