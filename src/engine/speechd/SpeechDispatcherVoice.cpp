#include "engine/speechd/SpeechDispatcherVoice.h"

#include <QEventLoop>
#include <QSet>
#include <condition_variable>
#include <libspeechd.h>
#include <mutex>
#include <thread>

namespace orasent {

namespace {

struct ListedVoice {
    QString module;
    QString name;
};

SPDConnection* spd(void* connection) {
    return static_cast<SPDConnection*>(connection);
}

// The module's voices without espeak-ng's variants ("English+Max") of a listed plain voice.
QList<ListedVoice> listModuleVoices(SPDConnection* connection, const QString& module) {
    QList<ListedVoice> result;
    if (spd_set_output_module(connection, module.toUtf8().constData()) != 0)
        return result;
    SPDVoice** voices = spd_list_synthesis_voices(connection);
    if (!voices)
        return result;
    QStringList names;
    for (SPDVoice** v = voices; *v; ++v)
        if ((*v)->name)
            names.append(QString::fromUtf8((*v)->name));
    free_spd_voices(voices);
    const QSet<QString> plain(names.cbegin(), names.cend());
    for (const QString& name : std::as_const(names)) {
        const int plus = name.indexOf(QLatin1Char('+'));
        if (plus > 0 && plain.contains(name.left(plus)))
            continue;
        result.append({module, name});
    }
    return result;
}

QList<ListedVoice> listVoices(SPDConnection* connection) {
    QList<ListedVoice> result;
    char** modules = spd_list_modules(connection);
    if (!modules)
        return result;
    QStringList names;
    for (char** m = modules; *m; ++m)
        names.append(QString::fromUtf8(*m));
    free_spd_modules(modules);
    for (const QString& module : std::as_const(names))
        if (module != QLatin1String("dummy"))
            result += listModuleVoices(connection, module);
    return result;
}

} // namespace

// The connection being made on its own thread; whichever of the thread and the voice comes
// last cleans up.
struct SpeechDispatcherVoice::Connecting {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool taken = false;
    bool abandoned = false;
    SPDConnection* connection = nullptr;
    QList<ListedVoice> voices;
};

// libspeechd calls back on its own thread with the message and client ids only; the voice of a
// client is looked up here and the event queued to the GUI thread.
struct SpeechDispatcherCallbacks {
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static QHash<size_t, SpeechDispatcherVoice*>& voices() {
        static QHash<size_t, SpeechDispatcherVoice*> v;
        return v;
    }
    static void post(size_t msgId, size_t clientId, SpeechDispatcherVoice::Event event,
                     const char* mark) {
        const QByteArray name(mark ? mark : "");
        const std::lock_guard<std::mutex> lock(mutex());
        SpeechDispatcherVoice* voice = voices().value(clientId);
        if (!voice)
            return;
        QMetaObject::invokeMethod(
            voice, [voice, msgId, event, name] { voice->onEvent(int(msgId), event, name); },
            Qt::QueuedConnection);
    }
    static void onBegin(size_t msg, size_t client, SPDNotificationType) {
        post(msg, client, SpeechDispatcherVoice::Event::Begin, nullptr);
    }
    static void onEnd(size_t msg, size_t client, SPDNotificationType) {
        post(msg, client, SpeechDispatcherVoice::Event::End, nullptr);
    }
    static void onCancel(size_t msg, size_t client, SPDNotificationType) {
        post(msg, client, SpeechDispatcherVoice::Event::Cancel, nullptr);
    }
    static void onMark(size_t msg, size_t client, SPDNotificationType, char* mark) {
        post(msg, client, SpeechDispatcherVoice::Event::Mark, mark);
    }
};

struct SpeechDispatcherVoice::Waiter {
    int stream = 0;
    QEventLoop* loop = nullptr;
};

SpeechDispatcherVoice::SpeechDispatcherVoice(QObject* parent, int connectWaitMs)
    : SpVoice(parent), m_connecting(std::make_shared<Connecting>()) {
    std::shared_ptr<Connecting> state = m_connecting;
    std::thread([state, this] {
        char* error = nullptr;
        SPDConnection* connection =
            spd_open2("orasent", "main", nullptr, SPD_MODE_THREADED, nullptr, 1, &error);
        free(error);
        QList<ListedVoice> voices;
        if (connection) {
            connection->callback_begin = SpeechDispatcherCallbacks::onBegin;
            connection->callback_end = SpeechDispatcherCallbacks::onEnd;
            connection->callback_cancel = SpeechDispatcherCallbacks::onCancel;
            connection->callback_im = SpeechDispatcherCallbacks::onMark;
            spd_set_notification_on(connection, SPD_BEGIN);
            spd_set_notification_on(connection, SPD_END);
            spd_set_notification_on(connection, SPD_CANCEL);
            spd_set_notification_on(connection, SPD_INDEX_MARKS);
            spd_set_data_mode(connection, SPD_DATA_SSML);
            voices = listVoices(connection);
        }
        const std::lock_guard<std::mutex> lock(state->mutex);
        if (state->abandoned) {
            if (connection)
                spd_close(connection);
            return;
        }
        state->connection = connection;
        state->voices = std::move(voices);
        state->finished = true;
        state->done.notify_all();
        QMetaObject::invokeMethod(
            this, [this] { takeConnection(); }, Qt::QueuedConnection);
    }).detach();

    std::unique_lock<std::mutex> lock(state->mutex);
    state->done.wait_for(lock, std::chrono::milliseconds(connectWaitMs),
                         [&] { return state->finished; });
    const bool ready = state->finished;
    lock.unlock();
    if (ready)
        takeConnection();
}

SpeechDispatcherVoice::~SpeechDispatcherVoice() {
    {
        const std::lock_guard<std::mutex> lock(m_connecting->mutex);
        m_connecting->abandoned = true;
    }
    if (!m_connection)
        return;
    {
        const std::lock_guard<std::mutex> lock(SpeechDispatcherCallbacks::mutex());
        SpeechDispatcherCallbacks::voices().remove(SpeechDispatcherCallbacks::voices().key(this));
    }
    if (!m_utterances.isEmpty())
        spd_cancel(spd(m_connection));
    spd_close(spd(m_connection));
    m_utterances.clear();
    m_localStreams.clear();
    releaseWaiters();
}

void SpeechDispatcherVoice::takeConnection() {
    QList<ListedVoice> listed;
    {
        const std::lock_guard<std::mutex> lock(m_connecting->mutex);
        if (!m_connecting->finished || m_connecting->taken)
            return;
        m_connecting->taken = true;
        m_connection = m_connecting->connection;
        listed = std::move(m_connecting->voices);
    }
    if (!m_connection)
        return;
    {
        const std::lock_guard<std::mutex> lock(SpeechDispatcherCallbacks::mutex());
        SpeechDispatcherCallbacks::voices().insert(size_t(spd_get_client_id(spd(m_connection))),
                                                   this);
    }
    QHash<QString, int> seen;
    for (const ListedVoice& v : std::as_const(listed)) {
        const QString id = QStringLiteral("speechd:%1/%2").arg(v.module, v.name);
        QString description = QStringLiteral("%1 (%2)").arg(v.name, v.module);
        if (seen[description]++ > 0)
            description += QStringLiteral(" [%1]").arg(seen[description]);
        m_voices.append(SpObjectToken(id, description));
        m_moduleOf.insert(id, v.module);
        m_nameOf.insert(id, v.name);
    }
    if (m_voice.isNull())
        m_voice = m_voices.value(0);
    if (!m_voices.isEmpty())
        emit VoicesAdded(); // heard only when the server answered after the constructor
}

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

// Each setting goes to the server once, before the first text that needs it.
void SpeechDispatcherVoice::applySettings() {
    SPDConnection* connection = spd(m_connection);
    if (m_voice.Id() != m_appliedVoice) {
        const QByteArray module = m_moduleOf.value(m_voice.Id()).toUtf8();
        const QByteArray name = m_nameOf.value(m_voice.Id()).toUtf8();
        if (spd_set_output_module(connection, module.constData()) != 0 ||
            spd_set_synthesis_voice(connection, name.constData()) != 0)
            throw SpeechError("speech-dispatcher refused the voice");
        m_appliedVoice = m_voice.Id();
    }
    if (m_rate != m_appliedRate) {
        if (spd_set_voice_rate(connection, spdRate(m_rate)) != 0)
            throw SpeechError("speech-dispatcher refused the rate");
        m_appliedRate = m_rate;
    }
    if (m_volume != m_appliedVolume) {
        if (spd_set_volume(connection, spdVolume(m_volume)) != 0)
            throw SpeechError("speech-dispatcher refused the volume");
        m_appliedVolume = m_volume;
    }
}

int SpeechDispatcherVoice::Speak(const QString& text, int flags) {
    if (!m_connection)
        throw SpeechError("speech-dispatcher is not available");
    if (m_voice.isNull())
        throw SpeechError("no voice");
    if (flags & SVSFPurgeBeforeSpeak) {
        if (!m_utterances.isEmpty())
            spd_cancel(spd(m_connection));
        m_utterances.clear();
        m_localStreams.clear();
        m_purgedThrough = m_lastStream;
        releaseWaiters(); // a synchronous Speak of a purged stream returns now
    }
    const int stream = ++m_lastStream;
    Utterance u;
    u.stream = stream;
    u.marked = markWords(text, (flags & SVSFIsXML) != 0);
    if (!u.marked.hasSpeech) {
        speakNothing(stream);
    } else {
        applySettings();
        u.module = m_moduleOf.value(m_voice.Id());
        u.voice = m_voice;
        const int msgId = spd_say(spd(m_connection), SPD_TEXT, u.marked.ssml.constData());
        if (msgId < 0)
            throw SpeechError("speech-dispatcher refused the text");
        m_utterances.insert(msgId, std::move(u));
    }
    if (!(flags & SVSFlagsAsync))
        waitFor(stream);
    return stream;
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
            releaseWaiters();
        },
        Qt::QueuedConnection);
    return stream;
}

void SpeechDispatcherVoice::onEvent(int msgId, Event event, const QByteArray& mark) {
    const auto it = m_utterances.find(msgId);
    if (it == m_utterances.end() || it->stream <= m_purgedThrough)
        return;
    switch (event) {
    case Event::Begin:
        onBegin(it.value());
        break;
    case Event::Mark:
        onMark(it.value(), mark);
        break;
    case Event::End:
    case Event::Cancel: {
        const Utterance u = it.value();
        m_utterances.erase(it);
        if (event == Event::End)
            finish(u);
        emit EndStream(u.stream, QVariant(qint64(0)));
        releaseWaiters();
        break;
    }
    }
}

// Handlers may speak anew; each event checks that its stream is still the one playing.
void SpeechDispatcherVoice::onBegin(const Utterance& started) {
    const Utterance u = started;
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
    emit Word(u.stream, QVariant(qint64(0)), word.pos, word.length);
}

// What a spoken stream tells about its module: marks came, or a text with words got none.
void SpeechDispatcherVoice::finish(const Utterance& u) {
    if (u.marksSeen)
        m_moduleMarks.insert(u.module, Marks::Given);
    else if (!u.marked.words.isEmpty() && marksOf(u.module) == Marks::Unknown)
        m_moduleMarks.insert(u.module, Marks::Dropped);
}

bool SpeechDispatcherVoice::isLive(int stream) const {
    if (m_localStreams.contains(stream))
        return true;
    for (const Utterance& u : m_utterances)
        if (u.stream == stream)
            return true;
    return false;
}

void SpeechDispatcherVoice::waitFor(int stream) {
    if (!isLive(stream))
        return;
    QEventLoop loop;
    Waiter waiter{stream, &loop};
    m_waiters.append(&waiter);
    if (isLive(stream))
        loop.exec();
    m_waiters.removeOne(&waiter);
}

void SpeechDispatcherVoice::releaseWaiters() {
    for (Waiter* w : std::as_const(m_waiters))
        if (!isLive(w->stream))
            w->loop->quit();
}

} // namespace orasent
