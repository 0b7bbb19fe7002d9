#include "speech/SpeakingCore.h"

#include "engine/SpVoice.h"
#include "speech/CharacterCase.h"
#include "speech/Replacements.h"

namespace orasent {

namespace {
constexpr int kTickMs = 1000;
} // namespace

SpeakingCore::SpeakingCore(QObject* parent) : QObject(parent) {
    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &SpeakingCore::tick);
}

void SpeakingCore::setVoice(SpVoice* voice) {
    if (m_voice)
        m_voice->disconnect(this);
    m_voice = voice;
    if (!voice)
        return;
    connect(voice, &SpVoice::StartStream, this, &SpeakingCore::onStartStream);
    connect(voice, &SpVoice::Word, this, &SpeakingCore::onWord);
    connect(voice, &SpVoice::Sentence, this, &SpeakingCore::onSentence);
    connect(voice, &SpVoice::EndStream, this, &SpeakingCore::onEndStream);
    connect(voice, &SpVoice::VoiceChange, this, &SpeakingCore::onVoiceChange);
    connect(voice, &SpVoice::Notice, this, &SpeakingCore::onNotice);
}

void SpeakingCore::start() {
    if (m_phase != Phase::NotLoaded)
        return;
    m_phase = Phase::Loaded;
    m_timer.start();
    if (canTakeSpeakBox())
        queuePickup();
}

void SpeakingCore::stop() {
    m_phase = Phase::Unloaded;
    m_timer.stop();
}

void SpeakingCore::handOver(const SpeechRequest& request) {
    setSpeakBoxLanguage(request.language, request.document);
    setSpeakBoxText(request.text);
}

// As runPickup makes the text of a hand-over without a language. A text waiting in the speak
// box goes first: the voice gets ready only once it has that text to speak.
void SpeakingCore::prepareHandOver(const QString& text) {
    m_toPrepare = text;
    if (m_speakBox.isEmpty())
        prepareNow();
}

void SpeakingCore::prepareNow() {
    const QString text = std::exchange(m_toPrepare, QString());
    if (!m_voice || text.isEmpty() || m_phase != Phase::Loaded)
        return;
    const QString replaced =
        rewriteForSpeech(upperCaseByCharacter(text), text, QString(), true, nullptr, {}, false);
    try {
        m_voice->prepare(plainTextBoxForm(replaced, nullptr), m_speakFlags);
    } catch (const SpeechError&) {
        // Only a hint: the hand-over itself says what is wrong.
    }
}

void SpeakingCore::setSpeakBoxText(const QString& text) {
    if (text != m_speakBox) {
        m_speakBox = text;
        emit speakBoxTextChanged(text);
    }
    if (canTakeSpeakBox())
        queuePickup();
}

void SpeakingCore::setSpeakBoxLanguage(const QString& language, int document) {
    m_speakBoxLanguage = language;
    if (!language.isEmpty())
        m_speakBoxDocument = document;
}

QString SpeakingCore::applyReplacements(const QString& text, TextEdits* edits) const {
    return applyReplacementList(text, m_replacementList, {}, edits);
}

void SpeakingCore::applySpeakingState(bool speaking) {
    setState(speaking ? State::Speaking : State::Idle);
}

// The one place the state changes. A stop is told to the windows when it ends (or the next
// text takes over), so a Talk press does not repaint them before the sentence is spoken.
void SpeakingCore::setState(State state) {
    const bool changed = state != m_state;
    m_state = state;
    if (changed)
        emit stateChanged(state);
    if (state != State::Stopping)
        emit speakingStateApplied(isSpeaking());
}

// The box waits while something is heard, but not behind a stop: a text handed over right after
// it is spoken at once.
bool SpeakingCore::canTakeSpeakBox() const {
    return !m_speakBox.isEmpty() && m_state != State::Speaking;
}

bool SpeakingCore::mayPickUp() const {
    return m_phase == Phase::Loaded && !m_stepRunning && canTakeSpeakBox();
}

void SpeakingCore::speak(const QString& text) {
    speakFollowing(text, Following());
}

void SpeakingCore::speakFollowing(const QString& text, Following following,
                                  const SpObjectToken& voice) {
    if (text.isEmpty())
        return;
    try {
        if (!m_voice)
            throw SpeechError("no voice");
        m_lastStream = speakIn(text, voice);
        m_borrowedStream = voice.isNull() ? 0 : m_lastStream;
        endFollowing();
        endAside();
        if (!following.handedOver.isEmpty())
            following.stream = m_lastStream;
        m_following = std::move(following);
        applySpeakingState(true);
    } catch (const SpeechError&) {
        endFollowing();
        applySpeakingState(false);
    }
}

// Speaks with `voice` (null: the chosen one) and leaves the chosen voice chosen.
int SpeakingCore::speakIn(const QString& text, const SpObjectToken& voice) {
    if (voice.isNull() || voice == m_voice->Voice())
        return m_voice->Speak(text, m_speakFlags);
    return m_voice->SpeakWithVoice(text, m_speakFlags, voice);
}

void SpeakingCore::onVoiceChange(int stream, const QVariant& position, const SpObjectToken& token) {
    if (stream != m_borrowedStream || m_borrowedStream == 0)
        emit chosenVoiceChange(stream, position, token);
}

// The engine's own news (a service that went away) is said when nothing else is.
void SpeakingCore::onNotice(const QString& text) {
    m_pendingNotice = text;
    if (m_state != State::Speaking)
        QMetaObject::invokeMethod(
            this, [this] { speakPendingNotice(); }, Qt::QueuedConnection);
}

bool SpeakingCore::speakPendingNotice() {
    if (m_pendingNotice.isEmpty() || m_stepRunning || m_phase == Phase::Unloaded)
        return false;
    const QString notice = std::exchange(m_pendingNotice, QString());
    emit spokenTextChanged(notice);
    speak(notice);
    if (m_state != State::Speaking) {
        emit noticeUnspoken(notice);
        return false;
    }
    return true;
}

void SpeakingCore::stopVoice() {
    if (!m_voice)
        return;
    try {
        m_voice->stop();
    } catch (const SpeechError&) {
        // The reader stops on every Talk and Stop; an engine that cannot is not its business,
        // and whatever it still says goes on being followed.
        return;
    }
    m_lastStream = 0;
    m_borrowedStream = 0;
    endFollowing();
    endAside();
    setState(State::Stopping);
    QMetaObject::invokeMethod(this, &SpeakingCore::finishStop, Qt::QueuedConnection);
}

// The stop's end, once the event loop is free: a text handed over meanwhile is spoken straight
// away; else the stream has ended and the core is idle.
void SpeakingCore::finishStop() {
    if (m_state != State::Stopping)
        return;
    if (mayPickUp())
        runPickup();
    if (m_state != State::Stopping)
        return;
    emit streamEnded();
    setState(State::Idle);
    if (speakPendingNotice())
        return;
    if (!m_speakBox.isEmpty())
        queuePickup();
}

void SpeakingCore::speakAfterCurrent(const QString& text) {
    if (!m_voice)
        return;
    try {
        m_lastStream = m_voice->Speak(text, SVSFlagsAsync);
    } catch (const SpeechError&) {
        // The list editor's test word: nothing to tell the user beyond not hearing it.
    }
}

void SpeakingCore::tick() {
    if (m_stepRunning || m_phase == Phase::Unloaded)
        return;
    if (canTakeSpeakBox())
        runPickup();
    else
        emit tickedWithoutPickup();
}

// Several texts handed over before the event loop is free count once; the latest is taken.
void SpeakingCore::queuePickup() {
    if (m_phase != Phase::Loaded || m_pickupQueued)
        return;
    m_pickupQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_pickupQueued = false;
            if (mayPickUp())
                runPickup();
        },
        Qt::QueuedConnection);
}

void SpeakingCore::runPickup() {
    Following following;
    QString spoken;
    LanguageChoice choice;
    {
        Step step(*this);
        following.handedOver = m_speakBox;
        const QString language = std::exchange(m_speakBoxLanguage, QString());
        setSpeakBoxText(QString());
        if (m_voiceChooser && !language.isEmpty())
            choice = m_voiceChooser(language, m_speakBoxDocument);
        QString upper = upperCaseByCharacter(following.handedOver);
        QString written = following.handedOver;
        if (!choice.notice.isEmpty()) {
            // Said first; its words follow nothing in the handed-over text.
            following.edits.add(0, 0, choice.notice.size() + 1);
            upper.prepend(choice.notice + QLatin1Char(' '));
            written.prepend(choice.notice + QLatin1Char(' '));
        }
        const QString replaced =
            rewriteForSpeech(upper, written, language, true, &following.edits, choice.voice);
        spoken = plainTextBoxForm(replaced, &following.edits);
        emit spokenTextChanged(spoken);
    }
    speakFollowing(spoken, std::move(following), choice.voice);
    prepareNow();
    emit pickupDone();
}

void SpeakingCore::endFollowing() {
    if (m_following.stream == 0)
        return;
    m_following = Following();
    emit handedOverSpeechEnded();
}

void SpeakingCore::onStartStream(int stream, const QVariant&) {
    if (!isStale(stream))
        applySpeakingState(true);
}

void SpeakingCore::onWord(int stream, const QVariant&, int pos, int length) {
    if (isStale(stream))
        return;
    if (stream == m_ownStream && pos >= 0) {
        const auto [start, span] = m_ownEdits.originalSpan(pos, length);
        emit wordSpoken(int(start), int(span));
    } else {
        emit wordSpoken(pos, length);
    }
    if (stream == m_aside.stream && pos >= 0) {
        const auto [start, span] = m_aside.edits.originalSpan(pos, length);
        emit asideWordHeard(int(start), int(span));
    }
    if (stream != m_following.stream || pos < 0)
        return;
    m_following.wordHeard = true;
    followHeard(pos, length);
}

void SpeakingCore::onSentence(int stream, const QVariant&, int pos, int length) {
    if (isStale(stream) || stream != m_following.stream || m_following.wordHeard || pos < 0)
        return;
    followHeard(pos, length);
}

void SpeakingCore::followHeard(int pos, int length) {
    const auto [start, span] = m_following.edits.originalSpan(pos, length);
    // A word beyond the text shows nothing, rather than leaving the band on the word before.
    const qsizetype size = m_following.handedOver.size();
    const qsizetype from = qMin(start, size);
    emit handedOverWordHeard(m_following.handedOver, int(from), int(qMin(span, size - from)));
}

void SpeakingCore::onEndStream(int stream, const QVariant&) {
    if (isStale(stream))
        return;
    emit streamEnded();
    endFollowing();
    endAside();
    applySpeakingState(false);
    if (speakPendingNotice())
        return;
    if (!m_speakBox.isEmpty())
        queuePickup();
}

} // namespace orasent
