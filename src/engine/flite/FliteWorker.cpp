#include "engine/flite/FliteWorker.h"

#include "engine/PcmConverter.h"
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteText.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>

namespace orasent {

FliteWorker& FliteWorker::instance() {
    static FliteWorker worker;
    return worker;
}

FliteWorker::FliteWorker() {
    m_thread = std::thread([this] { run(); });
}

FliteWorker::~FliteWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_aheadWake.notify_all();
    m_thread.join();
}

bool FliteWorker::cancelled(const SynthesisJob& job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_quit || job.stream <= m_purgedThrough.value(job.owner, 0);
}

void FliteWorker::submit(SynthesisJob job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void FliteWorker::purge(const void* owner, int stream) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        int& through = m_purgedThrough[owner];
        through = qMax(through, stream);
        m_jobs.erase(std::remove_if(m_jobs.begin(), m_jobs.end(),
                                    [&](const SynthesisJob& j) {
                                        return j.owner == owner && j.stream <= stream;
                                    }),
                     m_jobs.end());
    }
    {
        std::lock_guard<std::mutex> lock(m_aheadMutex);
        m_aheadUsecs = 0;
    }
    m_aheadWake.notify_all();
}

void FliteWorker::forget(const void* owner) {
    purge(owner, INT_MAX);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobDone.wait(lock, [&] { return m_runningOwner != owner; });
    m_purgedThrough.remove(owner);
}

void FliteWorker::consumedUsecs(qint64 usecs) {
    {
        std::lock_guard<std::mutex> lock(m_aheadMutex);
        m_aheadUsecs = qMax<qint64>(0, m_aheadUsecs - usecs);
    }
    m_aheadWake.notify_all();
}

// Counted before the audio is handed over: the player may take it before this thread goes on.
void FliteWorker::addAhead(const SynthesisJob& job, qint64 usecs) {
    if (!job.paced)
        return;
    std::lock_guard<std::mutex> lock(m_aheadMutex);
    m_aheadUsecs += usecs;
}

bool FliteWorker::waitForRoom(const SynthesisJob& job) {
    if (!job.paced)
        return !cancelled(job);
    std::unique_lock<std::mutex> lock(m_aheadMutex);
    while (m_aheadUsecs > kMaxAheadUsecs) {
        lock.unlock();
        if (cancelled(job))
            return false;
        lock.lock();
        m_aheadWake.wait_for(lock, std::chrono::milliseconds(50));
    }
    lock.unlock();
    return !cancelled(job);
}

void FliteWorker::run() {
    FliteSynth synth;
    for (;;) {
        SynthesisJob job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty(); });
            if (m_quit)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_runningOwner = job.owner;
        }
        if (!cancelled(job))
            runJob(job, synth);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runningOwner = nullptr;
        }
        m_jobDone.notify_all();
    }
}

void FliteWorker::runJob(const SynthesisJob& job, FliteSynth& synth) {
    const FliteText text(job.text, job.xml);
    std::unique_ptr<PcmConverter> converter;
    qint64 inputSamples = 0;
    StreamChunk last;
    last.stream = job.stream;
    last.last = true;
    for (const FlitePhrase& phrase : text.phrases()) {
        FlitePhraseAudio audio =
            synth.speak(job.voiceIdentifier, text, phrase, speedFor(job.wordsPerMinute));
        if (cancelled(job))
            return;
        if (!audio.error.isEmpty()) {
            last.error = audio.error;
            break;
        }
        if (audio.samples.isEmpty())
            continue;
        StreamChunk chunk;
        chunk.stream = job.stream;
        try {
            if (!converter)
                converter = std::make_unique<PcmConverter>(job.format, job.gain, audio.sampleRate);
        } catch (const std::exception& e) {
            last.error = QString::fromUtf8(e.what());
            break;
        }
        for (const FliteWordTime& w : std::as_const(audio.words))
            chunk.events.append(TimedEvent{TimedEvent::Word,
                                           converter->outputFrameFor(inputSamples + w.sample),
                                           w.pos, w.length});
        chunk.pcm = converter->convert(audio.samples.constData(), int(audio.samples.size()));
        inputSamples += audio.samples.size();
        addAhead(job, qint64(audio.samples.size()) * 1000000 / audio.sampleRate);
        job.deliver(std::move(chunk));
        if (!waitForRoom(job))
            return;
    }
    if (converter) {
        last.pcm = converter->finish();
        last.totalFrames = converter->framesProduced();
    }
    job.deliver(std::move(last));
}

} // namespace orasent
