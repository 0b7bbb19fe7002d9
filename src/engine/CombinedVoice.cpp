#include "engine/CombinedVoice.h"

#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/speechd/SpeechDispatcherVoice.h"

namespace orasent {

std::unique_ptr<SpVoice> createDesktopVoice(QObject* parent) {
    return std::make_unique<CombinedVoice>(
        createEspeakVoice(), std::make_unique<SpeechDispatcherVoice>(), parent, createLocalVoice());
}

const char* const CombinedVoice::kStoppedNotice =
    "The desktop speech service stopped. Orasent will reconnect.";
const char* const CombinedVoice::kFallbackNotice =
    "Until then, an espeak-ng voice of the same language reads.";

CombinedVoice::CombinedVoice(std::unique_ptr<SpVoice> first, std::unique_ptr<SpVoice> second,
                             QObject* parent, std::unique_ptr<SpVoice> third)
    : SpVoice(parent), m_first(std::move(first)), m_second(std::move(second)),
      m_third(std::move(third)), m_active(m_first.get()) {
    forward(m_first.get());
    connect(m_first.get(), &SpVoice::Notice, this, &SpVoice::Notice);
    if (m_third) {
        forward(m_third.get());
        connect(m_third.get(), &SpVoice::Notice, this, &SpVoice::Notice);
        m_third->setAudioOutputFormatType(m_first->AudioOutputFormatType());
        const SpObjectToken clearest = VoiceForLanguage(m_first->LanguageOf(m_first->Voice()));
        if (m_third->GetVoices().contains(clearest)) {
            m_third->setVoice(clearest);
            m_active = m_third.get();
        }
    }
    if (m_second) {
        forward(m_second.get());
        connect(m_second.get(), &SpVoice::VoicesAdded, this, &SpVoice::VoicesAdded);
        connect(m_second.get(), &SpVoice::ServiceStopped, this, &CombinedVoice::onSecondStopped);
        connect(m_second.get(), &SpVoice::ServiceRestored, this, &SpVoice::ServiceRestored);
    }
}

CombinedVoice::~CombinedVoice() {
    if (m_third)
        m_third->disconnect(this);
    if (m_second)
        m_second->disconnect(this);
    m_first->disconnect(this);
}

void CombinedVoice::forward(SpVoice* engine) {
    connect(engine, &SpVoice::StartStream, this, [this, engine](int s, const QVariant& p) {
        if (const int outer = outerStream(engine, s))
            emit StartStream(outer, p);
    });
    connect(engine, &SpVoice::Word, this, [this, engine](int s, const QVariant& p, int a, int b) {
        if (const int outer = outerStream(engine, s))
            emit Word(outer, p, a, b);
    });
    connect(engine, &SpVoice::Sentence, this,
            [this, engine](int s, const QVariant& p, int a, int b) {
                if (const int outer = outerStream(engine, s))
                    emit Sentence(outer, p, a, b);
            });
    connect(engine, &SpVoice::VoiceChange, this,
            [this, engine](int s, const QVariant& p, const SpObjectToken& token) {
                const int outer = outerStream(engine, s);
                if (outer && !m_borrowed.contains(outer))
                    emit VoiceChange(outer, p, token);
            });
    connect(engine, &SpVoice::EndStream, this, [this, engine](int s, const QVariant& p) {
        const int outer = outerStream(engine, s);
        m_streams.remove({engine, s});
        m_borrowed.remove(outer);
        if (outer)
            emit EndStream(outer, p);
    });
}

// Streams that are not ours (an engine's stop by a blank of its own) map to nothing.
int CombinedVoice::outerStream(SpVoice* engine, int inner) {
    return m_streams.value({engine, inner});
}

SpObjectTokens CombinedVoice::GetVoices(const QString& required, const QString& optional) {
    SpObjectTokens voices = m_first->GetVoices(required, optional);
    if (m_second)
        voices += m_second->GetVoices(required, optional);
    if (m_third)
        voices += m_third->GetVoices(required, optional);
    return voices;
}

SpVoice* CombinedVoice::engineOf(const SpObjectToken& voice) const {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()})
        if (engine && engine->GetVoices().contains(voice))
            return engine;
    return nullptr;
}

SpObjectToken CombinedVoice::VoiceForLanguage(const QString& language) {
    if (m_third) {
        const QString clearest = clearestVoiceFor(language);
        for (const SpObjectToken& voice : m_third->GetVoices())
            if (voice.Id() == clearest)
                return voice;
    }
    return m_first->VoiceForLanguage(language);
}

// The third engine plays through the same kind of output in the same format as the first.
void CombinedVoice::setAudioOutput(const SpObjectToken& output) {
    m_first->setAudioOutput(output);
    if (m_third)
        m_third->setAudioOutput(output);
}

void CombinedVoice::setAllowAudioOutputFormatChangesOnNextSet(bool allow) {
    m_first->setAllowAudioOutputFormatChangesOnNextSet(allow);
    if (m_third)
        m_third->setAllowAudioOutputFormatChangesOnNextSet(allow);
}

void CombinedVoice::setAudioOutputFormatType(int type) {
    m_first->setAudioOutputFormatType(type);
    if (m_third)
        m_third->setAudioOutputFormatType(type);
}

// The file is opened by the engine of the voice that writes it (one writer per file); closing
// closes both.
void CombinedVoice::setAudioOutputToWaveFile(const QString& path) {
    SpVoice* writer = m_active == m_third.get() ? m_third.get() : m_first.get();
    if (path.isEmpty() && m_third)
        (writer == m_first.get() ? m_third : m_first)->setAudioOutputToWaveFile(path);
    writer->setAudioOutputToWaveFile(path);
}

SpObjectTokens CombinedVoice::GetAudioOutputs(const QString& required, const QString& optional) {
    return m_first->GetAudioOutputs(required, optional);
}

void CombinedVoice::setVoice(const SpObjectToken& voice) {
    SpVoice* engine = engineOf(voice);
    if (!engine)
        throw SpeechError("no such voice");
    engine->setVoice(voice);
    if (m_active != engine)
        m_active->releaseVoice();
    m_active = engine;
}

void CombinedVoice::releaseVoice() {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()})
        if (engine)
            engine->releaseVoice();
}

void CombinedVoice::setRate(int rate) {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()})
        if (engine)
            engine->setRate(rate);
}

void CombinedVoice::newDocument() {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()})
        if (engine)
            engine->newDocument();
}

void CombinedVoice::setVolume(int volume) {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()})
        if (engine)
            engine->setVolume(volume);
}

// Told only when the chosen voice is one of the service's: else nothing changes for the user.
void CombinedVoice::onSecondStopped() {
    emit ServiceStopped();
    if (m_active == m_second.get())
        emit Notice(QString::fromLatin1(kStoppedNotice) + QLatin1Char(' ') +
                    QString::fromLatin1(kFallbackNotice));
}

int CombinedVoice::SpeakWithVoice(const QString& text, int flags, const SpObjectToken& voice) {
    SpVoice* engine = engineOf(voice);
    if (!engine)
        throw SpeechError("no such voice");
    SpVoice* const active = m_active;
    const SpObjectToken own = engine->Voice();
    auto restore = [&] {
        m_active = active;
        if (!own.isNull())
            engine->setVoice(own);
    };
    engine->setVoice(voice);
    m_active = engine;
    try {
        const int stream = Speak(text, flags);
        restore();
        return stream;
    } catch (...) {
        restore();
        throw;
    }
}

QString CombinedVoice::LanguageOf(const SpObjectToken& voice) const {
    SpVoice* engine = engineOf(voice);
    return (engine ? engine : m_first.get())->LanguageOf(voice);
}

// The chosen desktop voice is away: the first engine's voice of its language stands in (its
// current voice when there is none), and the first engine's own choice is put back after.
int CombinedVoice::speakFallback(const QString& text, int flags) {
    const SpObjectToken own = m_first->Voice();
    SpObjectToken standIn = m_first->VoiceForLanguage(m_second->LanguageOf(m_second->Voice()));
    if (standIn.isNull())
        standIn = own;
    m_first->setVoice(standIn);
    try {
        const int inner = m_first->Speak(text, flags);
        m_first->setVoice(own);
        return inner;
    } catch (...) {
        m_first->setVoice(own);
        throw;
    }
}

void CombinedVoice::stop() {
    stopEngines(nullptr);
}

// Every engine given a text since its last stop, but `except`, stops; no stream raises anything
// more.
void CombinedVoice::stopEngines(const SpVoice* except) {
    for (SpVoice* engine : {m_first.get(), m_second.get(), m_third.get()}) {
        if (!engine || engine == except || !m_spoken.remove(engine))
            continue;
        try {
            engine->stop();
        } catch (const SpeechError&) {
        }
    }
    m_streams.clear();
    m_borrowed.clear();
}

void CombinedVoice::prepare(const QString& text, int flags) {
    if (m_active != m_second.get() || m_second->isAvailable())
        m_active->prepare(text, flags);
}

int CombinedVoice::Speak(const QString& text, int flags) {
    const bool fallback = m_active == m_second.get() && !m_second->isAvailable();
    SpVoice* engine = fallback ? m_first.get() : m_active;
    if (flags & SVSFPurgeBeforeSpeak)
        stopEngines(engine); // the speaking one purges its own
    const int outer = ++m_lastStream;
    const int inner = fallback ? speakFallback(text, flags) : engine->Speak(text, flags);
    m_spoken.insert(engine);
    m_streams.insert({engine, inner}, outer);
    if (fallback)
        m_borrowed.insert(outer);
    return outer;
}

} // namespace orasent
