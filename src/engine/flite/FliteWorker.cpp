#include "engine/flite/FliteWorker.h"

#include "engine/ForeignSpeech.h"
#include "engine/PcmConverter.h"
#include "engine/flite/FliteSynth.h"
#include "engine/flite/FliteText.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <climits>
#include <memory>
#include <utility>

namespace orasent {

FliteWorker& FliteWorker::instance() {
    static FliteWorker worker;
    return worker;
}

std::unique_ptr<FliteWorker> FliteWorker::create() {
    return std::unique_ptr<FliteWorker>(new FliteWorker);
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

void FliteWorker::prepare(SynthesisJob job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        job.paced = true;
        m_toPrepare = std::move(job);
    }
    m_wake.notify_one();
}

void FliteWorker::settle() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobDone.wait(lock, [this] { return m_jobs.empty() && !m_toPrepare && !m_runningOwner; });
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
    if (m_toPrepare && m_toPrepare->owner == owner)
        m_toPrepare.reset();
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

bool FliteWorker::nextJob(SynthesisJob* job, bool* preparing) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return m_quit || !m_jobs.empty() || m_toPrepare; });
    if (m_quit)
        return false;
    *preparing = m_jobs.empty();
    if (*preparing) {
        *job = std::move(*m_toPrepare);
        m_toPrepare.reset();
    } else {
        *job = std::move(m_jobs.front());
        m_jobs.pop_front();
    }
    m_runningOwner = job->owner;
    return true;
}

void FliteWorker::run() {
    FliteSynth synth;
    SynthesisJob job;
    bool preparing = false;
    while (nextJob(&job, &preparing)) {
        if (preparing)
            runPrepare(job, synth);
        else if (!cancelled(job))
            runJob(job, synth);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runningOwner = nullptr;
        }
        m_jobDone.notify_all();
    }
}

void FliteWorker::runJob(const SynthesisJob& job, FliteSynth& synth) {
    StreamChunk last;
    last.stream = job.stream;
    last.last = true;
    qint64 frames = 0;
    int at = 0;
    QVector<ForeignRun> runs = foreignRuns(job.text, job.xml);
    runs.append(ForeignRun{int(job.text.size()), int(job.text.size()), {}});
    for (const ForeignRun& run : std::as_const(runs)) {
        Step step = speakFlite(job, synth, at, run.begin, &frames, &last.error);
        if (step == Step::Spoken && !run.language.isEmpty())
            step = speakForeign(job, run, &frames, &last.error);
        if (step == Step::Cancelled)
            return;
        if (step == Step::Failed)
            break;
        at = run.end;
    }
    last.totalFrames = frames;
    job.deliver(std::move(last));
}

// The text's first phrase, as a played job would have it made; kept whole or not at all.
void FliteWorker::runPrepare(const SynthesisJob& job, FliteSynth& synth) {
    if (m_prepared.matches(job))
        return;
    m_prepared.begin(job);
    const QVector<ForeignRun> runs = foreignRuns(job.text, job.xml);
    const int end = runs.isEmpty() ? int(job.text.size()) : runs.first().begin;
    const FliteText text(job.text.left(end), job.xml);
    const QVector<FlitePhrase> phrases = text.phrases(kFirstPhraseBytes);
    if (end == 0 || phrases.isEmpty())
        return;
    const QString failed =
        synth.speak(job.voiceIdentifier, text, phrases.first(), speedFor(job.wordsPerMinute),
                    [this](FliteAudioPiece& piece) { return m_prepared.add(piece); });
    if (failed.isEmpty())
        m_prepared.finish();
    else
        m_prepared.clear();
}

// One run of Flite's text on its way out: converted, sent in growing batches and paced.
struct FliteWorker::Outgoing {
    Outgoing(const SynthesisJob& j, qint64 frames, int begin)
        : job(j), baseFrames(frames), textBegin(begin) {}
    const SynthesisJob& job;
    qint64 baseFrames; // the stream's frames before this run
    int textBegin;     // the run's offset in the job's text
    std::unique_ptr<PcmConverter> converter;
    qint64 inputSamples = 0; // Flite's samples of this run kept so far
    qint64 sentSamples = 0;
    StreamChunk batch;
    qint64 batchSamples = 0;
    QString error;
    // The phrase being made: whether its leading and trailing silence go, its samples so far
    // (counted from its start), and the part of them kept.
    bool trimLead = false;
    bool trimTail = false;
    qint64 phraseSamples = 0;
    qint64 phraseStart = 0; // inputSamples where the phrase's kept audio begins
    qint64 keepFrom = 0;
    qint64 keepUntil = -1; // -1: to the end
};

// At the first piece of a phrase: which of its samples are heard.
void FliteWorker::startPhrase(Outgoing& out, const FliteAudioPiece& piece) {
    const qint64 margin = piece.sampleRate / 200; // 5 ms of the silence stays
    out.phraseStart = out.inputSamples;
    out.keepFrom = out.trimLead && !piece.words.isEmpty()
                       ? qMax<qint64>(0, piece.words.first().sample - margin)
                       : 0;
    out.keepUntil = out.trimTail && piece.speechEnd > 0 ? piece.speechEnd + margin : -1;
}

// Takes a piece of Flite's audio; false stops the synthesis (purged, or the audio failed).
bool FliteWorker::take(Outgoing& out, FliteAudioPiece& piece) {
    if (cancelled(out.job))
        return false;
    try {
        if (!out.converter)
            out.converter =
                std::make_unique<PcmConverter>(out.job.format, out.job.gain, piece.sampleRate);
    } catch (const std::exception& e) {
        out.error = QString::fromUtf8(e.what());
        return false;
    }
    if (out.phraseSamples == 0)
        startPhrase(out, piece);
    for (const FliteWordTime& w : std::as_const(piece.words))
        out.batch.events.append(TimedEvent{
            TimedEvent::Word,
            out.baseFrames + out.converter->outputFrameFor(
                                 out.phraseStart + qMax<qint64>(0, w.sample - out.keepFrom)),
            out.textBegin + w.pos, w.length});
    const qint64 pieceStart = out.phraseSamples;
    const qint64 pieceEnd = pieceStart + piece.count;
    const qint64 from = qMax(pieceStart, out.keepFrom);
    const qint64 until = out.keepUntil < 0 ? pieceEnd : qMin(pieceEnd, out.keepUntil);
    out.phraseSamples = pieceEnd;
    if (until <= from)
        return true;
    const int kept = int(until - from);
    out.batch.pcm += out.converter->convert(piece.samples + (from - pieceStart), kept);
    out.inputSamples += kept;
    out.batchSamples += kept;
    // The first 20 ms go out at once; later batches grow with what has been sent (up to
    // 200 ms), so the output never runs dry and the hand-overs stay few.
    const qint64 threshold =
        qBound<qint64>(piece.sampleRate / 50, out.sentSamples, qint64(piece.sampleRate / 5));
    return out.batchSamples < threshold || send(out, piece.sampleRate);
}

// Hands the batch over; false when the job was purged while it waited for room.
bool FliteWorker::send(Outgoing& out, int sampleRate) {
    out.batch.stream = out.job.stream;
    addAhead(out.job, out.batchSamples * 1000000 / qMax(1, sampleRate));
    out.sentSamples += out.batchSamples;
    out.batchSamples = 0;
    out.job.deliver(std::exchange(out.batch, StreamChunk{}));
    return waitForRoom(out.job);
}

// Text [begin, end) phrase by phrase, each phrase's audio streamed while Flite makes it, after
// `*frames`, which grows by it.
FliteWorker::Step FliteWorker::speakFlite(const SynthesisJob& job, FliteSynth& synth, int begin,
                                          int end, qint64* frames, QString* error) {
    if (begin >= end)
        return Step::Spoken;
    const FliteText text(job.text.mid(begin, end - begin), job.xml);
    Outgoing out(job, *frames, begin);
    int sampleRate = 0;
    const FliteAudioSink sink = [&](FliteAudioPiece& piece) {
        sampleRate = piece.sampleRate;
        return take(out, piece);
    };
    // A played text starts after its first few words; the export takes whole sentences.
    const QVector<FlitePhrase> phrases = text.phrases(job.paced ? kFirstPhraseBytes : 0);
    bool runOn = true; // the run's start: no silence before its first word
    // The text's start may be ready: prepared for this very job while the thread was free.
    const bool prepared = begin == 0 && m_prepared.matches(job);
    if (prepared)
        ++m_preparedStarts;
    for (const FlitePhrase& phrase : phrases) {
        out.trimLead = runOn;
        out.trimTail = phrase.runsOn;
        out.phraseSamples = 0;
        runOn = phrase.runsOn;
        const bool replayed = prepared && &phrase == &phrases.first();
        if (replayed)
            m_prepared.replay(sink);
        const QString failed = replayed ? QString()
                                        : synth.speak(job.voiceIdentifier, text, phrase,
                                                      speedFor(job.wordsPerMinute), sink);
        if (cancelled(job))
            return Step::Cancelled;
        if (!failed.isEmpty() || !out.error.isEmpty()) {
            *error = out.error.isEmpty() ? failed : out.error;
            return Step::Failed;
        }
    }
    if (!out.converter)
        return Step::Spoken;
    out.batch.pcm += out.converter->finish();
    if (!send(out, sampleRate))
        return Step::Cancelled;
    *frames += out.converter->framesProduced();
    return Step::Spoken;
}

// A run of another script, read by espeak-ng's voice for it, in its place in the stream.
FliteWorker::Step FliteWorker::speakForeign(const SynthesisJob& job, const ForeignRun& run,
                                            qint64* frames, QString* error) {
    ForeignAudio audio;
    const Step step = speakForeignRun(
        job, run, *frames, [&] { return cancelled(job); }, &audio, error);
    if (step != Step::Spoken || audio.frames == 0)
        return step;
    *frames += audio.frames;
    addAhead(job, audio.usecs);
    job.deliver(std::move(audio.chunk));
    return waitForRoom(job) ? Step::Spoken : Step::Cancelled;
}

} // namespace orasent
