#include "engine/ForeignSpeech.h"

#include <QLocale>
#include <QtGlobal>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace orasent {

namespace {

// What espeak-ng's thread delivers for one run, gathered into one chunk.
struct Collected {
    std::mutex mutex;
    std::condition_variable done;
    StreamChunk all;
    bool last = false;
};

SynthesisJob subJob(const SynthesisJob& job, const ForeignRun& run, const QString& voice,
                    const std::shared_ptr<Collected>& collected) {
    static std::atomic<int> subStream{0}; // Flite's and Festival's threads run side by side
    SynthesisJob sub;
    sub.owner = collected.get();
    sub.stream = ++subStream;
    sub.text = job.text.mid(run.begin, run.end - run.begin);
    sub.voiceIdentifier = voice;
    sub.wordsPerMinute = job.wordsPerMinute;
    sub.gain = job.gain;
    sub.format = job.format;
    sub.paced = false;
    sub.deliver = [collected](StreamChunk chunk) {
        std::lock_guard<std::mutex> lock(collected->mutex);
        collected->all.pcm += chunk.pcm;
        collected->all.events += chunk.events;
        collected->all.error = chunk.error;
        collected->last = chunk.last;
        if (chunk.last)
            collected->done.notify_all();
    };
    return sub;
}

// Waits for the sub-job's end; false when the job was cancelled meanwhile (the sub-job is
// dropped and delivers nothing more).
bool waitForRun(Collected& collected, const std::function<bool()>& cancelled) {
    std::unique_lock<std::mutex> lock(collected.mutex);
    while (!collected.done.wait_for(lock, std::chrono::milliseconds(50),
                                    [&] { return collected.last; })) {
        lock.unlock();
        if (cancelled()) {
            SynthesisWorker::instance().forget(&collected);
            return false;
        }
        lock.lock();
    }
    return true;
}

// The language's English name; Qt knows Mandarin ("cmn") only as Chinese.
QString languageName(const QString& language) {
    const QLocale locale(language == QLatin1String("cmn") ? QStringLiteral("zh") : language);
    return locale.language() == QLocale::C ? language
                                           : QLocale::languageToString(locale.language());
}

} // namespace

QString espeakVoiceForLanguage(const QString& language) {
    const QVector<EspeakVoiceInfo> voices = SynthesisWorker::instance().voices();
    for (const EspeakVoiceInfo& v : voices)
        if (v.languages.value(0) == language)
            return v.identifier;
    for (const EspeakVoiceInfo& v : voices)
        if (v.languages.contains(language))
            return v.identifier;
    return {};
}

SpeechStep speakForeignRun(const SynthesisJob& job, const ForeignRun& run, qint64 startFrame,
                           const std::function<bool()>& cancelled, ForeignAudio* audio,
                           QString* error) {
    *audio = ForeignAudio();
    const QString voice = espeakVoiceForLanguage(run.language);
    if (voice.isEmpty())
        return SpeechStep::Spoken;
    auto collected = std::make_shared<Collected>();
    SynthesisWorker::instance().submit(subJob(job, run, voice, collected));
    if (!waitForRun(*collected, cancelled))
        return SpeechStep::Cancelled;
    std::lock_guard<std::mutex> lock(collected->mutex);
    if (!collected->all.error.isEmpty()) {
        *error = collected->all.error;
        return SpeechStep::Failed;
    }
    if (cancelled())
        return SpeechStep::Cancelled;
    audio->chunk = std::move(collected->all);
    audio->chunk.stream = job.stream;
    audio->chunk.last = false;
    for (TimedEvent& e : audio->chunk.events) {
        e.frame += startFrame;
        e.pos += run.begin;
    }
    const int bytesPerFrame = job.format.channels * job.format.bitsPerSample / 8;
    audio->frames = audio->chunk.pcm.size() / qMax(1, bytesPerFrame);
    audio->usecs = audio->frames * 1000000 / qMax(1, job.format.sampleRate);
    return SpeechStep::Spoken;
}

const char* const OtherScriptNotices::kNotice = "%1 is read by espeak-ng's voice.";

QStringList OtherScriptNotices::take(const QString& text, bool xml) {
    QStringList notices;
    for (const ForeignRun& run : foreignRuns(text, xml)) {
        if (m_told.contains(run.language))
            continue;
        m_told.insert(run.language);
        notices << QString::fromLatin1(kNotice).arg(languageName(run.language));
    }
    return notices;
}

} // namespace orasent
