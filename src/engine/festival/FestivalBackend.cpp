#include "engine/festival/FestivalBackend.h"

#include "engine/ForeignSpeech.h"
#include "engine/PcmConverter.h"
#include "engine/festival/FestivalLink.h"
#include "engine/festival/FestivalVoices.h"
#include "engine/flite/FliteText.h"

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <map>
#include <memory>

namespace orasent {

namespace {

// One word event per token Festival read, at the start of its first word ("forty two" for
// "42" is one event on "42"), at the token's place in the text.
QVector<TimedEvent> wordEvents(const festival::PhraseReply& reply, const FliteText& text,
                               const FlitePhrase& phrase) {
    QVector<TimedEvent> events;
    std::map<std::uint32_t, int> placed; // token -> byte offset, or -1 when not in the text
    int cursor = phrase.begin;
    qint64 lastSample = 0;
    for (const festival::SpokenWord& word : reply.words) {
        if (placed.count(word.token))
            continue;
        const QByteArray name = QByteArray::fromStdString(word.tokenName);
        const int at = text.find(name, cursor, phrase.end);
        placed[word.token] = at;
        if (at < 0)
            continue;
        cursor = at + int(name.size());
        const qint64 sample = qMax(lastSample, qint64(word.startSample));
        lastSample = sample;
        const auto [pos, length] = text.sourceSpan(at, int(name.size()));
        events.append(TimedEvent{TimedEvent::Word, sample, pos, length});
    }
    return events;
}

} // namespace

FestivalBackend& FestivalBackend::instance() {
    static FestivalBackend backend;
    return backend;
}

FestivalBackend::FestivalBackend() : m_voicesFolder(festivalVoicesFolder()) {
    m_thread = std::thread([this] { run(); });
}

FestivalBackend::~FestivalBackend() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_aheadWake.notify_all();
    m_thread.join();
}

quint32 FestivalBackend::speedPermille(const QString& identifier, int wordsPerMinute) {
    const FestivalVoiceInfo* info = festivalVoiceInfo(identifier);
    const double speed = (info ? info->speedAt175 : 1.0) * wordsPerMinute / 175.0;
    return quint32(std::lround(qBound(0.2, speed, 5.0) * 1000));
}

void FestivalBackend::setWanted(bool wanted) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wanted = wanted;
    }
    m_wake.notify_all();
}

qint64 FestivalBackend::helperPid() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_link ? m_link->pid() : 0;
}

void FestivalBackend::setVoicesFolder(const QString& folder) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_voicesFolder = folder;
}

bool FestivalBackend::cancelled(const SynthesisJob& job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_quit || job.stream <= m_purgedThrough.value(job.owner, 0);
}

void FestivalBackend::submit(SynthesisJob job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_all();
}

void FestivalBackend::purge(const void* owner, int stream) {
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

void FestivalBackend::forget(const void* owner) {
    purge(owner, INT_MAX);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobDone.wait(lock, [&] { return m_runningOwner != owner; });
    m_purgedThrough.remove(owner);
}

void FestivalBackend::consumedUsecs(qint64 usecs) {
    {
        std::lock_guard<std::mutex> lock(m_aheadMutex);
        m_aheadUsecs = qMax<qint64>(0, m_aheadUsecs - usecs);
    }
    m_aheadWake.notify_all();
}

void FestivalBackend::addAhead(const SynthesisJob& job, qint64 usecs) {
    if (!job.paced)
        return;
    std::lock_guard<std::mutex> lock(m_aheadMutex);
    m_aheadUsecs += usecs;
}

bool FestivalBackend::waitForRoom(const SynthesisJob& job) {
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

void FestivalBackend::run() {
    FestivalLink link;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_link = &link;
    }
    for (;;) {
        SynthesisJob job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(
                lock, [&] { return m_quit || !m_jobs.empty() || (!m_wanted && link.isRunning()); });
            if (m_quit)
                break;
            if (m_jobs.empty()) {
                lock.unlock();
                link.stop(); // idle and no longer wanted
                emit helperEnded();
                continue;
            }
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_runningOwner = job.owner;
        }
        if (!cancelled(job))
            runJob(job, link);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runningOwner = nullptr;
        }
        m_jobDone.notify_all();
    }
    link.stop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_link = nullptr;
}

void FestivalBackend::runJob(const SynthesisJob& job, FestivalLink& link) {
    StreamChunk last;
    last.stream = job.stream;
    last.last = true;
    qint64 frames = 0;
    const Step step = speakText(job, link, &frames, &last.error);
    if (step == Step::Cancelled)
        return;
    if (step == Step::Failed)
        emit failed(quintptr(job.owner), last.error);
    last.totalFrames = frames;
    job.deliver(std::move(last));
}

// The text range by range: Festival reads the voice's own script, espeak-ng each run of another.
FestivalBackend::Step FestivalBackend::speakText(const SynthesisJob& job, FestivalLink& link,
                                                 qint64* frames, QString* error) {
    QVector<ForeignRun> runs = foreignRuns(job.text, job.xml);
    runs.append(ForeignRun{int(job.text.size()), int(job.text.size()), {}});
    int at = 0;
    for (const ForeignRun& run : std::as_const(runs)) {
        Step step = speakFestival(job, link, at, run.begin, frames, error);
        if (step == Step::Spoken && !run.language.isEmpty())
            step = speakForeign(job, run, frames, error);
        if (step != Step::Spoken)
            return step;
        at = run.end;
    }
    return Step::Spoken;
}

festival::SpeakRequest FestivalBackend::requestFor(const SynthesisJob& job, const FliteText& text) {
    festival::SpeakRequest request;
    request.voice = festivalVoiceName(job.voiceIdentifier).toStdString();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const FestivalVoiceInfo* info = festivalVoiceInfo(job.voiceIdentifier);
        request.voiceDir = (m_voicesFolder + QLatin1Char('/') +
                            QLatin1String(info ? info->folder : "") + QLatin1Char('/'))
                               .toStdString();
    }
    request.speedPermille = speedPermille(job.voiceIdentifier, job.wordsPerMinute);
    for (const FliteSoundWord& sound : text.soundWords())
        request.sounds.emplace_back(sound.token.toStdString(), sound.phones.toStdString());
    return request;
}

// One range of Festival's text on its way out.
struct FestivalBackend::Outgoing {
    const SynthesisJob& job;
    qint64 baseFrames; // the stream's frames before this range
    int textBegin;     // the range's offset in the job's text
    std::unique_ptr<PcmConverter> converter;
    qint64 inputSamples = 0; // Festival's samples of this range so far
};

// Text [begin, end) phrase by phrase, each phrase's audio sent as its reply comes, after
// `*frames`, which grows by it.
FestivalBackend::Step FestivalBackend::speakFestival(const SynthesisJob& job, FestivalLink& link,
                                                     int begin, int end, qint64* frames,
                                                     QString* error) {
    if (begin >= end)
        return Step::Spoken;
    const FliteText text(job.text.mid(begin, end - begin), job.xml);
    festival::SpeakRequest request = requestFor(job, text);
    Outgoing out{job, *frames, begin, nullptr};
    for (const FlitePhrase& phrase : text.phrases()) {
        request.text = text.bytes().mid(phrase.begin, phrase.end - phrase.begin).toStdString();
        festival::PhraseReply reply;
        const FestivalLink::Result result = link.speak(
            request, [&] { return cancelled(job); }, &reply, error);
        if (result == FestivalLink::Result::Cancelled || cancelled(job))
            return Step::Cancelled;
        if (result == FestivalLink::Result::Failed)
            return Step::Failed;
        if (!reply.error.empty()) {
            *error = QString::fromStdString(reply.error);
            return Step::Failed;
        }
        const Step step = send(out, reply, wordEvents(reply, text, phrase), error);
        if (step != Step::Spoken)
            return step;
    }
    if (out.converter) {
        StreamChunk tail;
        tail.stream = job.stream;
        tail.pcm = out.converter->finish();
        *frames += out.converter->framesProduced();
        job.deliver(std::move(tail));
    }
    return Step::Spoken;
}

// A phrase's audio and word events (their samples counted from the phrase's start).
FestivalBackend::Step FestivalBackend::send(Outgoing& out, const festival::PhraseReply& reply,
                                            const QVector<TimedEvent>& events, QString* error) {
    if (reply.samples.empty() || reply.sampleRate == 0)
        return Step::Spoken;
    try {
        if (!out.converter)
            out.converter =
                std::make_unique<PcmConverter>(out.job.format, out.job.gain, int(reply.sampleRate));
    } catch (const std::exception& e) {
        *error = QString::fromUtf8(e.what());
        return Step::Failed;
    }
    StreamChunk chunk;
    chunk.stream = out.job.stream;
    for (TimedEvent e : events) {
        e.frame = out.baseFrames + out.converter->outputFrameFor(out.inputSamples + e.frame);
        e.pos += out.textBegin;
        chunk.events.append(e);
    }
    chunk.pcm = out.converter->convert(reply.samples.data(), int(reply.samples.size()));
    out.inputSamples += qint64(reply.samples.size());
    addAhead(out.job, qint64(reply.samples.size()) * 1000000 / reply.sampleRate);
    out.job.deliver(std::move(chunk));
    return waitForRoom(out.job) ? Step::Spoken : Step::Cancelled;
}

// A run of another script, read by espeak-ng's voice for it, in its place in the stream.
FestivalBackend::Step FestivalBackend::speakForeign(const SynthesisJob& job, const ForeignRun& run,
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
