#include "engine/speechd/SpeechDispatcherVoice.h"

#include <QCoreApplication>

namespace orasent {

namespace {
// After the text has begun: the time allowed before the next word (or the end) arrives.
constexpr int kProgressBoundMs = 3000;
constexpr int kPerWordMs = 800; // the slowest rate speaks about 80 words a minute
constexpr int kMostEarlyEvents = 1000;
} // namespace

SpeechDispatcherVoice::SpeechDispatcherVoice(QObject* parent, int connectWaitMs) : SpVoice(parent) {
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, [this] {
        if (m_connection == ConnectionState::Lost)
            connectNow();
    });
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, [this] {
        qWarning("speech-dispatcher: no answer in time; the connection is taken as lost");
        onLost();
    });
    connectNow();
    if (m_link->waitOpened(connectWaitMs))
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

SpeechDispatcherVoice::~SpeechDispatcherVoice() {
    if (m_link) {
        if (!m_utterances.isEmpty() || !m_pending.isEmpty())
            m_link->cancel();
        m_link->detach(false);
    }
    m_utterances.clear();
    m_pending.clear();
    m_localStreams.clear();
}

// --- the connection ---

// The one place the connection state changes.
void SpeechDispatcherVoice::setConnectionState(ConnectionState state) {
    if (state == m_connection)
        return;
    m_connection = state;
    emit connectionStateChanged(state);
}

void SpeechDispatcherVoice::connectNow() {
    const int generation = ++m_generation;
    setConnectionState(m_connection == ConnectionState::Connecting ? ConnectionState::Connecting
                                                                   : ConnectionState::Reconnecting);
    SpeechdLink::Listener listener;
    listener.context = this;
    listener.opened = [this, generation](bool ok, const QList<ListedVoice>& voices) {
        if (generation == m_generation)
            onOpened(ok, voices);
    };
    listener.lost = [this, generation] {
        if (generation == m_generation)
            onLost();
    };
    listener.said = [this, generation](int stream, int msgId) {
        if (generation == m_generation)
            onSaid(stream, msgId);
    };
    listener.event = [this, generation](int msgId, SpeechdEvent event, const QByteArray& mark) {
        if (generation == m_generation)
            onEvent(msgId, event, mark);
    };
    m_link = SpeechdLink::open(std::move(listener));
}

void SpeechDispatcherVoice::onOpened(bool ok, const QList<ListedVoice>& voices) {
    if (!isConnecting())
        return;
    if (!ok) {
        m_link->detach(true);
        m_link.reset();
        setConnectionState(ConnectionState::Lost);
        retryLater();
        return;
    }
    setConnectionState(ConnectionState::Connected);
    m_retryMs = kFirstRetryMs;
    const bool returned = !m_voices.isEmpty();
    addVoices(voices);
    if (returned)
        emit ServiceRestored();
}

// Voices keep their places across reconnects: a returning server's new voices are appended.
void SpeechDispatcherVoice::addVoices(const QList<ListedVoice>& listed) {
    QHash<QString, int> seen;
    for (const SpObjectToken& token : std::as_const(m_voices))
        seen[token.GetDescription().section(QStringLiteral(" ["), 0, 0)]++;
    const qsizetype before = m_voices.size();
    for (const ListedVoice& v : listed) {
        const QString id = QStringLiteral("speechd:%1/%2").arg(v.module, v.name);
        if (m_moduleOf.contains(id))
            continue;
        QString description = QStringLiteral("%1 (%2)").arg(v.name, v.module);
        if (seen[description]++ > 0)
            description += QStringLiteral(" [%1]").arg(seen[description]);
        m_voices.append(SpObjectToken(id, description));
        m_moduleOf.insert(id, v.module);
        m_nameOf.insert(id, v.name);
        m_languageOf.insert(id, v.language);
    }
    if (m_voice.isNull())
        m_voice = m_voices.value(0);
    if (m_voices.size() > before)
        emit VoicesAdded(); // heard only when the server answered after the constructor
}

// Everything under way ends now; the voice connects again later.
void SpeechDispatcherVoice::onLost() {
    if (m_connection != ConnectionState::Connected)
        return;
    m_link->detach(true);
    m_link.reset();
    setConnectionState(ConnectionState::Lost);
    ++m_generation;
    m_watchdog.stop();
    QList<int> ended;
    for (const Utterance& u : std::as_const(m_pending))
        ended.append(u.stream);
    for (const Utterance& u : std::as_const(m_utterances))
        ended.append(u.stream);
    std::sort(ended.begin(), ended.end());
    m_pending.clear();
    m_utterances.clear();
    m_early.clear();
    for (int stream : std::as_const(ended))
        emit EndStream(stream, QVariant(qint64(0)));
    emit ServiceStopped();
    retryLater();
}

void SpeechDispatcherVoice::retryLater() {
    m_retry.start(m_retryMs);
    m_retryMs = qMin(m_retryMs * 2, kLastRetryMs);
}

// --- settings ---

void SpeechDispatcherVoice::setVoice(const SpObjectToken& voice) {
    const int index = m_voices.indexOf(voice);
    if (index < 0)
        throw SpeechError("no such voice");
    m_voice = m_voices.at(index);
}

void SpeechDispatcherVoice::setRate(int rate) {
    m_rate = qBound(-10, rate, 10);
}

void SpeechDispatcherVoice::setVolume(int volume) {
    m_volume = qBound(0, volume, 100);
}

// --- speaking ---

int SpeechDispatcherVoice::Speak(const QString& text, int flags) {
    if (!isConnected()) {
        if (m_connection == ConnectionState::Lost) { // away: try again now, for the next text
            m_retry.stop();
            connectNow();
        }
        throw SpeechError("speech-dispatcher is not available");
    }
    if (m_voice.isNull())
        throw SpeechError("no voice");
    if (flags & SVSFPurgeBeforeSpeak)
        stop();
    const int stream = ++m_lastStream;
    Utterance u;
    u.stream = stream;
    u.marked = markWords(text, (flags & SVSFIsXML) != 0);
    if (!u.marked.hasSpeech) {
        speakNothing(stream);
    } else {
        u.module = m_moduleOf.value(m_voice.Id());
        u.voice = m_voice;
        SpeechdLink::Settings settings;
        settings.module = u.module.toUtf8();
        settings.voice = m_nameOf.value(m_voice.Id()).toUtf8();
        settings.rate = spdRate(m_rate);
        settings.volume = spdVolume(m_volume);
        m_link->say(stream, settings, u.marked.ssml);
        m_pending.insert(stream, std::move(u));
        watchOldest();
    }
    return stream;
}

// speech-dispatcher's CANCEL for what it says; what it reports of those texts afterwards finds
// no stream (their events are dropped), and blanks not yet ended end silently.
void SpeechDispatcherVoice::stop() {
    if ((!m_utterances.isEmpty() || !m_pending.isEmpty()) && m_link)
        m_link->cancel();
    m_utterances.clear();
    m_pending.clear();
    m_localStreams.clear();
    m_watchdog.stop();
}

// A text of blanks and markup: its stream starts and ends as soon as the event loop runs.
int SpeechDispatcherVoice::speakNothing(int stream) {
    m_localStreams.append(stream);
    QMetaObject::invokeMethod(
        this,
        [this, stream] {
            if (!m_localStreams.removeOne(stream))
                return; // purged meanwhile
            emit StartStream(stream, QVariant(qint64(0)));
            emit EndStream(stream, QVariant(qint64(0)));
        },
        Qt::QueuedConnection);
    return stream;
}

void SpeechDispatcherVoice::onSaid(int stream, int msgId) {
    // Commands run in order: no older message can still be said, so its early events go.
    m_early.erase(m_early.begin(), m_early.lowerBound(msgId));
    const QList<Early> early = m_early.take(msgId);
    const auto it = m_pending.find(stream);
    if (it == m_pending.end())
        return; // purged meanwhile
    m_utterances.insert(msgId, it.value());
    m_pending.erase(it);
    for (const Early& e : early)
        onEvent(msgId, e.event, e.mark);
}

void SpeechDispatcherVoice::onEvent(int msgId, SpeechdEvent event, const QByteArray& mark) {
    const auto it = m_utterances.find(msgId);
    if (it == m_utterances.end()) {
        // Events can overtake the message id; they wait for it (a purged text's never comes).
        if (!m_pending.isEmpty() && m_early.size() < kMostEarlyEvents)
            m_early[msgId].append({event, mark});
        return;
    }
    switch (event) {
    case SpeechdEvent::Begin:
        onBegin(it.value());
        break;
    case SpeechdEvent::Mark:
        onMark(it.value(), mark);
        break;
    case SpeechdEvent::End:
    case SpeechdEvent::Cancel: {
        const Utterance u = it.value();
        m_utterances.erase(it);
        if (event == SpeechdEvent::End)
            finish(u);
        watchOldest();
        emit EndStream(u.stream, QVariant(qint64(0)));
        break;
    }
    }
}

// Handlers may speak anew; each event checks that its stream is still the one playing.
void SpeechDispatcherVoice::onBegin(Utterance& started) {
    started.begun = true;
    const Utterance u = started;
    watchOldest();
    const QVariant position(qint64(0));
    emit StartStream(u.stream, position);
    if (isLive(u.stream))
        emit VoiceChange(u.stream, position, u.voice);
    if (!u.marked.words.isEmpty() && marksOf(u.module) != Marks::Given && isLive(u.stream)) {
        const MarkedText::Span whole = u.marked.wholeSpan();
        emit Sentence(u.stream, position, whole.pos, whole.length);
    }
}

void SpeechDispatcherVoice::onMark(Utterance& u, const QByteArray& mark) {
    const MarkedText::Span* span = u.marked.wordForMark(mark.constData());
    const int index = span ? mark.toInt() : -1;
    if (!span || index <= u.lastMark)
        return; // speech-dispatcher's own marks, or one that would move backwards
    u.lastMark = index;
    u.marksSeen = true;
    const MarkedText::Span word = *span;
    watchOldest();
    emit Word(u.stream, QVariant(qint64(0)), word.pos, word.length);
}

// What a spoken stream tells about its module: marks came, or a text with words got none.
void SpeechDispatcherVoice::finish(const Utterance& u) {
    if (u.marksSeen)
        m_moduleMarks.insert(u.module, Marks::Given);
    else if (!u.marked.words.isEmpty() && marksOf(u.module) == Marks::Unknown)
        m_moduleMarks.insert(u.module, Marks::Dropped);
}

// The oldest text is the one the server should be speaking: it must begin within
// kBeginBoundMs, and then keep moving.
void SpeechDispatcherVoice::watchOldest() {
    const Utterance* oldest = nullptr;
    for (const Utterance& u : std::as_const(m_utterances))
        if (!oldest || u.stream < oldest->stream)
            oldest = &u;
    if (!m_pending.isEmpty() && (!oldest || m_pending.firstKey() < oldest->stream))
        oldest = &m_pending.first();
    if (!oldest) {
        m_watchdog.stop();
        return;
    }
    if (!oldest->begun) {
        m_watchdog.start(kBeginBoundMs);
        return;
    }
    const qsizetype left = oldest->marked.words.size() - (oldest->lastMark + 1);
    m_watchdog.start(kProgressBoundMs + kPerWordMs * int(qMin<qsizetype>(left, 100000)));
}

bool SpeechDispatcherVoice::isLive(int stream) const {
    if (m_localStreams.contains(stream) || m_pending.contains(stream))
        return true;
    for (const Utterance& u : m_utterances)
        if (u.stream == stream)
            return true;
    return false;
}

} // namespace orasent
