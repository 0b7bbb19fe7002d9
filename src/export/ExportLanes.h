#pragma once
// An export's synthesis spread over lanes (SynthesisLanes): the sentences are handed out in
// order to whichever lane has room, a few in flight on each, and their audio waits until run()'s
// thread takes it sentence by sentence, in the order of the text. What a sentence sounds like
// does not depend on its lane, so the files are the same with any number of lanes.
#include "engine/SynthesisLanes.h"
#include "export/ExportText.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace orasent {

class ExportLanes {
public:
    // Sentences handed to a lane ahead of the one it is synthesizing.
    static constexpr int kSentencesInFlight = 4;
    // Sentences synthesized or in flight ahead of the one being written, on all lanes.
    static constexpr int kSentencesAhead = 48;

    // A sentence's job (without owner, stream and delivery) and what it was made from; false
    // when it has nothing to say. Called on the thread that calls next().
    using Prepare = std::function<bool(int sentence, SynthesisJob* job, PreparedSentence* out)>;

    ExportLanes(SynthesisLanes& factory, int laneCount, int sentenceCount, Prepare prepare);
    // Stops, and returns once no lane delivers anything any more.
    ~ExportLanes();
    ExportLanes(const ExportLanes&) = delete;
    ExportLanes& operator=(const ExportLanes&) = delete;

    struct Sentence {
        int index = 0;
        int stream = 0;
        PreparedSentence prepared;
    };
    enum class Next { Chunk, Done, Stopped };
    // The next piece of the sentence being written (see current()); its `last` ends the
    // sentence, and the one after it comes next. Waits for it.
    Next next(StreamChunk* chunk);
    const Sentence& current() const;
    // The sentence the next piece belongs to: its index, or the sentence count when none is left.
    int sentenceAhead() const;
    // Sentences that had something to say, so far.
    int spokenCount() const;
    // From any thread: next() returns Stopped from now on, and deliveries are dropped.
    void stop();

private:
    struct Queued : Sentence {
        int lane = 0;
        std::deque<StreamChunk> chunks;
        qint64 bytes = 0;
    };
    void fill(std::unique_lock<std::mutex>& lock);
    void submitNext(std::unique_lock<std::mutex>& lock, int lane);
    void deliver(StreamChunk chunk);
    Queued* queuedStream(int stream) const;

    SynthesisLanes& m_factory;
    const int m_sentenceCount;
    Prepare m_prepare;
    std::vector<std::unique_ptr<SynthesisLane>> m_lanes;
    std::vector<int> m_inFlight;                        // per lane
    std::vector<std::vector<SynthesisBackend*>> m_used; // per lane, to forget at the end
    std::thread::id m_taker;                            // the thread that calls next()

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::unique_ptr<Queued>> m_queued; // in the order of the text, from current()
    bool m_currentDone = false;                   // its last piece was taken
    int m_nextSentence = 0;                       // the next one to prepare
    int m_lastStream = 0;
    int m_nextLane = 0;
    int m_waiting = 0; // lane threads waiting for the sentence being written to be taken
    bool m_stopped = false;
};

} // namespace orasent
