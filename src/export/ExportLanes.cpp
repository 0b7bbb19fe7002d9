#include "export/ExportLanes.h"

#include <algorithm>

namespace orasent {

namespace {
// The sentence being written waits while this much of its audio is queued (bytes).
constexpr qint64 kMaxQueuedBytes = 2 * 1024 * 1024;
} // namespace

ExportLanes::ExportLanes(SynthesisLanes& factory, int laneCount, int sentenceCount, Prepare prepare)
    : m_factory(factory), m_sentenceCount(sentenceCount), m_prepare(std::move(prepare)),
      m_taker(std::this_thread::get_id()) {
    for (int i = 0; i < std::max(1, laneCount); ++i)
        m_lanes.push_back(m_factory.newLane());
    m_inFlight.assign(m_lanes.size(), 0);
    m_used.resize(m_lanes.size());
}

ExportLanes::~ExportLanes() {
    stop();
    for (const std::vector<SynthesisBackend*>& used : m_used)
        for (SynthesisBackend* backend : used)
            backend->forget(this);
    m_lanes.clear();
}

void ExportLanes::stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    m_wake.notify_all();
}

int ExportLanes::spokenCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastStream;
}

const ExportLanes::Sentence& ExportLanes::current() const {
    return *m_queued.front(); // only the taker's thread changes the queue's order
}

int ExportLanes::sentenceAhead() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t ahead = m_currentDone ? 1 : 0;
    if (m_queued.size() > ahead)
        return m_queued[ahead]->index;
    return m_nextSentence;
}

ExportLanes::Queued* ExportLanes::queuedStream(int stream) const {
    if (m_queued.empty())
        return nullptr;
    const qint64 at = qint64(stream) - m_queued.front()->stream;
    return at >= 0 && at < qint64(m_queued.size()) ? m_queued[size_t(at)].get() : nullptr;
}

// Called on a lane's synthesis thread (or inside submit() by an engine that speaks at once).
void ExportLanes::deliver(StreamChunk chunk) {
    std::unique_lock<std::mutex> lock(m_mutex);
    Queued* queued = m_stopped ? nullptr : queuedStream(chunk.stream);
    if (!queued)
        return;
    const int stream = chunk.stream;
    const bool wanted = chunk.last || queued == m_queued.front().get(); // else it waits its turn
    if (chunk.last)
        --m_inFlight[size_t(queued->lane)];
    queued->bytes += chunk.pcm.size();
    queued->chunks.push_back(std::move(chunk));
    if (wanted)
        m_wake.notify_all();
    if (std::this_thread::get_id() == m_taker)
        return;
    ++m_waiting;
    m_wake.wait(lock, [&] {
        return m_stopped || m_queued.empty() || m_queued.front()->stream != stream ||
               m_queued.front()->bytes <= kMaxQueuedBytes;
    });
    --m_waiting;
}

void ExportLanes::submitNext(std::unique_lock<std::mutex>& lock, int lane) {
    const int index = m_nextSentence++;
    auto queued = std::make_unique<Queued>();
    SynthesisJob job;
    lock.unlock();
    const bool speaks = m_prepare(index, &job, &queued->prepared);
    lock.lock();
    if (!speaks || m_stopped)
        return;
    queued->index = index;
    queued->stream = ++m_lastStream;
    queued->lane = lane;
    job.owner = this;
    job.stream = queued->stream;
    job.deliver = [this](StreamChunk chunk) { deliver(std::move(chunk)); };
    SynthesisBackend& backend = m_lanes[size_t(lane)]->backendFor(job.voiceIdentifier);
    std::vector<SynthesisBackend*>& used = m_used[size_t(lane)];
    if (std::find(used.begin(), used.end(), &backend) == used.end())
        used.push_back(&backend);
    m_queued.push_back(std::move(queued));
    ++m_inFlight[size_t(lane)];
    lock.unlock();
    backend.submit(std::move(job));
    lock.lock();
}

// Hands out sentences in order, each to the next lane with room, while few enough wait.
void ExportLanes::fill(std::unique_lock<std::mutex>& lock) {
    const int lanes = int(m_lanes.size());
    while (!m_stopped && m_nextSentence < m_sentenceCount &&
           int(m_queued.size()) < kSentencesAhead) {
        int lane = -1;
        for (int i = 0; i < lanes && lane < 0; ++i)
            if (m_inFlight[size_t((m_nextLane + i) % lanes)] < kSentencesInFlight)
                lane = (m_nextLane + i) % lanes;
        if (lane < 0)
            return;
        m_nextLane = (lane + 1) % lanes;
        submitNext(lock, lane);
    }
}

ExportLanes::Next ExportLanes::next(StreamChunk* chunk) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (m_currentDone) {
        m_queued.pop_front();
        m_currentDone = false;
        if (m_waiting > 0)
            m_wake.notify_all();
    }
    for (;;) {
        fill(lock);
        if (m_stopped)
            return Next::Stopped;
        if (m_queued.empty())
            return Next::Done; // fill() prepared every sentence left
        Queued& front = *m_queued.front();
        if (!front.chunks.empty()) {
            *chunk = std::move(front.chunks.front());
            front.chunks.pop_front();
            front.bytes -= chunk->pcm.size();
            m_currentDone = chunk->last;
            if (m_waiting > 0)
                m_wake.notify_all();
            return Next::Chunk;
        }
        m_wake.wait(lock);
    }
}

} // namespace orasent
