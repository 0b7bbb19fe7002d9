#include "engine/SynthesisWorker.h"

#include "engine/PcmConverter.h"
#include "engine/SpokenText.h"

#include <espeak-ng/speak_lib.h>

#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <future>
#include <utility>

namespace orasent {

// What the espeak-ng callback needs while one job is being synthesized.
struct SynthesisContext {
    SynthesisWorker* worker;
    const SynthesisJob& job;
    SpokenText text;
    PcmConverter converter;
    StreamChunk batch; // audio and events not yet handed over
    qint64 batchSamples = 0;
    qint64 sentSamples = 0;
};

namespace {

thread_local SynthesisContext* t_context = nullptr;

// espeak-ng's 16-bit output in a chunk of n samples lasts this long.
qint64 usecsOfInput(qint64 samples) {
    return samples * 1000000 / PcmConverter::kInputRate;
}

QVector<EspeakVoiceInfo> listVoices() {
    QVector<EspeakVoiceInfo> list;
    const espeak_VOICE** voices = espeak_ListVoices(nullptr);
    for (int i = 0; voices && voices[i]; ++i) {
        const espeak_VOICE* v = voices[i];
        EspeakVoiceInfo info;
        info.name = QString::fromUtf8(v->name).replace(QLatin1Char('_'), QLatin1Char(' '));
        info.identifier = QString::fromUtf8(v->identifier);
        // languages: a priority byte, a NUL-terminated name, ... ending with a zero byte.
        for (const char* p = v->languages; p && *p;) {
            const char* lang = p + 1;
            info.languages << QString::fromUtf8(lang).toLower();
            info.priorities << int(static_cast<unsigned char>(*p));
            p = lang + strlen(lang) + 1;
        }
        list.append(info);
    }
    return list;
}

} // namespace

int SynthesisWorker::espeakRateFor(int wordsPerMinute) {
    // 80 is espeak-ng's floor; above 450 it speeds up with sonic.
    return qBound(espeakRATE_MINIMUM, wordsPerMinute, 1000);
}

int SynthesisWorker::wordGapFor(int wordsPerMinute) {
    if (wordsPerMinute >= espeakRATE_MINIMUM)
        return 0;
    // Below the floor the words keep their 80 wpm length and the pause between them makes up
    // the difference. Measured with espeak-ng 1.51: one gap unit lasts about 34 ms at 80 wpm,
    // and its words come about 18% faster than the nominal rate.
    const double extraSeconds = (60.0 / wordsPerMinute - 60.0 / espeakRATE_MINIMUM) * 0.82;
    return int(std::lround(extraSeconds / 0.034));
}

SynthesisWorker& SynthesisWorker::instance() {
    static SynthesisWorker worker;
    return worker;
}

SynthesisWorker::SynthesisWorker() {
    std::promise<void> ready;
    std::future<void> started = ready.get_future();
    m_thread = std::thread([this, &ready] {
        m_sampleRate =
            espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 20, nullptr, espeakINITIALIZE_DONT_EXIT);
        if (m_sampleRate > 0) {
            m_voices = listVoices();
            espeak_SetSynthCallback([](short* wav, int count, espeak_EVENT* events) -> int {
                SynthesisContext* ctx = t_context;
                if (!ctx)
                    return 0;
                SynthesisWorker* self = ctx->worker;
                if (self->cancelled(ctx->job))
                    return 1;
                StreamChunk& chunk = ctx->batch;
                chunk.stream = ctx->job.stream;
                for (espeak_EVENT* e = events; e && e->type != espeakEVENT_LIST_TERMINATED; ++e) {
                    if (e->type != espeakEVENT_WORD && e->type != espeakEVENT_SENTENCE)
                        continue;
                    const qint64 sample =
                        e->sample > 0 ? e->sample : qint64(e->audio_position) * 22050 / 1000;
                    const auto span = e->type == espeakEVENT_WORD
                                          ? ctx->text.word(e->text_position, e->length)
                                          : ctx->text.sentence(e->text_position);
                    if (!span)
                        continue;
                    chunk.events.append(TimedEvent{
                        e->type == espeakEVENT_WORD ? TimedEvent::Word : TimedEvent::Sentence,
                        ctx->converter.outputFrameFor(sample), span->pos, span->length});
                }
                if (wav && count > 0) {
                    chunk.pcm += ctx->converter.convert(wav, count);
                    ctx->batchSamples += count;
                }
                // The first audio goes out at once; later batches grow with what has been sent
                // (up to 200 ms), so the output never runs dry and the hand-overs stay few.
                const qint64 threshold =
                    qBound<qint64>(1, ctx->sentSamples, qint64(PcmConverter::kInputRate / 5));
                if (ctx->batchSamples < threshold)
                    return 0;
                const qint64 delivered = ctx->batchSamples;
                ctx->sentSamples += delivered;
                ctx->batchSamples = 0;
                ctx->job.deliver(std::exchange(ctx->batch, StreamChunk{}));
                if (ctx->job.paced) {
                    std::unique_lock<std::mutex> lock(self->m_aheadMutex);
                    self->m_aheadUsecs += usecsOfInput(delivered);
                    while (self->m_aheadUsecs > kMaxAheadUsecs) {
                        lock.unlock();
                        if (self->cancelled(ctx->job))
                            return 1;
                        lock.lock();
                        self->m_aheadWake.wait_for(lock, std::chrono::milliseconds(50));
                    }
                }
                return self->cancelled(ctx->job) ? 1 : 0;
            });
        }
        ready.set_value();
        run();
        if (m_sampleRate > 0)
            espeak_Terminate();
    });
    started.wait();
}

SynthesisWorker::~SynthesisWorker() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_quit = true;
        m_jobs.clear();
    }
    m_wake.notify_all();
    m_aheadWake.notify_all();
    m_thread.join();
}

bool SynthesisWorker::cancelled(const SynthesisJob& job) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_quit || job.stream <= m_purgedThrough.value(job.owner, 0);
}

void SynthesisWorker::submit(SynthesisJob job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void SynthesisWorker::purge(const void* owner, int stream) {
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

void SynthesisWorker::forget(const void* owner) {
    purge(owner, INT_MAX);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_jobDone.wait(lock, [&] { return m_runningOwner != owner; });
    // A later voice may live at the same address.
    m_purgedThrough.remove(owner);
}

void SynthesisWorker::consumedUsecs(qint64 usecs) {
    {
        std::lock_guard<std::mutex> lock(m_aheadMutex);
        m_aheadUsecs = qMax<qint64>(0, m_aheadUsecs - usecs);
    }
    m_aheadWake.notify_all();
}

void SynthesisWorker::run() {
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
            runJob(job);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_runningOwner = nullptr;
        }
        m_jobDone.notify_all();
    }
}

// Sounds put in by pronunciation rules come as "[[...]]"; other texts keep their brackets.
static unsigned phonemeInput(const QString& text) {
    return text.contains(QLatin1String("[[")) ? espeakPHONEMES : 0;
}

void SynthesisWorker::runJob(const SynthesisJob& job) {
    StreamChunk failure;
    failure.stream = job.stream;
    failure.last = true;
    if (m_sampleRate <= 0) {
        failure.error = QStringLiteral("espeak-ng could not start");
        job.deliver(std::move(failure));
        return;
    }
    if (job.voiceIdentifier != m_currentVoice) {
        if (espeak_SetVoiceByName(job.voiceIdentifier.toUtf8().constData()) != EE_OK) {
            m_currentVoice.clear();
            failure.error =
                QStringLiteral("espeak-ng refused the voice %1").arg(job.voiceIdentifier);
            job.deliver(std::move(failure));
            return;
        }
        m_currentVoice = job.voiceIdentifier;
    }
    espeak_SetParameter(espeakRATE, espeakRateFor(job.wordsPerMinute), 0);
    espeak_SetParameter(espeakWORDGAP, wordGapFor(job.wordsPerMinute), 0);

    std::unique_ptr<SynthesisContext> ctx;
    try {
        ctx.reset(new SynthesisContext{this, job, SpokenText(job.text, job.xml),
                                       PcmConverter(job.format, job.gain), StreamChunk{}, 0, 0});
    } catch (const std::exception& e) {
        failure.error = QString::fromUtf8(e.what());
        job.deliver(std::move(failure));
        return;
    }
    const QByteArray& input = ctx->text.espeakInput();
    t_context = ctx.get();
    const espeak_ERROR result = espeak_Synth(
        input.constData(), size_t(input.size()) + 1, 0, POS_CHARACTER, 0,
        espeakCHARS_UTF8 | (job.xml ? espeakSSML : 0) | phonemeInput(job.text), nullptr, nullptr);
    t_context = nullptr;
    if (job.xml && job.text.contains(QLatin1Char('<')))
        m_currentVoice.clear(); // a <voice> element may have switched espeak-ng's voice
    if (cancelled(job))
        return;
    StreamChunk last = std::move(ctx->batch);
    last.stream = job.stream;
    last.pcm += ctx->converter.finish();
    last.last = true;
    last.totalFrames = ctx->converter.framesProduced();
    if (result != EE_OK)
        last.error = QStringLiteral("espeak-ng failed to speak (error %1)").arg(int(result));
    job.deliver(std::move(last));
}

} // namespace orasent
