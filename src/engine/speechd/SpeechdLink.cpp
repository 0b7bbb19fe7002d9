#include "engine/speechd/SpeechdLink.h"

#include <QCoreApplication>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <libspeechd.h>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace orasent {

namespace {

// The module's voices without espeak-ng's variants ("English+Max") of a listed plain voice.
QList<ListedVoice> listModuleVoices(SPDConnection* connection, const QString& module) {
    QList<ListedVoice> result;
    if (spd_set_output_module(connection, module.toUtf8().constData()) != 0)
        return result;
    SPDVoice** voices = spd_list_synthesis_voices(connection);
    if (!voices)
        return result;
    QList<ListedVoice> all;
    for (SPDVoice** v = voices; *v; ++v)
        if ((*v)->name)
            all.append({module, QString::fromUtf8((*v)->name),
                        QString::fromUtf8((*v)->language ? (*v)->language : "")});
    free_spd_voices(voices);
    QSet<QString> plain;
    for (const ListedVoice& v : std::as_const(all))
        plain.insert(v.name);
    for (const ListedVoice& v : std::as_const(all)) {
        const int plus = v.name.indexOf(QLatin1Char('+'));
        if (plus > 0 && plain.contains(v.name.left(plus)))
            continue;
        result.append(v);
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

// A write to a socket whose server is gone raises SIGPIPE in the writing thread; the threads
// that talk to the server take it as the failed write it is.
void blockBrokenPipeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

// The server's number for this client; -1 when it does not say. (libspeechd's own
// spd_get_client_id reads a missing reply when the server has just gone.)
int clientIdOf(SPDConnection* connection) {
    char* reply = nullptr;
    const int failed = spd_execute_command_with_reply(connection, "HISTORY GET CLIENT_ID", &reply);
    // "245-ID" on the first line.
    const QByteArray text(reply ? reply : "");
    free(reply);
    if (failed || text.size() < 5 || text.at(3) != '-')
        return -1;
    bool ok = false;
    const int id = text.mid(4, text.indexOf('\r') - 4).toInt(&ok);
    return ok ? id : -1;
}

QString socketPath() {
    const QString address = qEnvironmentVariable("SPEECHD_ADDRESS");
    if (address.startsWith(QLatin1String("unix_socket:")))
        return address.mid(12);
    if (!address.isEmpty())
        return QString();
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QString()
                             : runtime + QStringLiteral("/speech-dispatcher/speechd.sock");
}

} // namespace

// Shared by the link, its thread and libspeechd's callbacks; whichever ends last frees it.
struct SpeechdLink::State : std::enable_shared_from_this<SpeechdLink::State> {
    // Opening: the thread connects. Open: it has connected or failed, and runs the commands.
    // Detached: nothing more is reported (final).
    enum class Phase { Opening, Open, Detached };

    std::mutex mutex;
    std::deque<std::function<void(SPDConnection*)>> tasks;
    Phase phase = Phase::Opening;
    std::condition_variable phaseChanged;
    int wake = -1;    // eventfd: tasks or detach
    int watched = -1; // our own duplicate of the connection's socket
    Listener listener;

    // The one place the phase changes; `mutex` is held.
    void setPhase(Phase next) {
        if (phase == next || phase == Phase::Detached)
            return;
        phase = next;
        phaseChanged.notify_all();
    }
    // Runs `call` on the listener's thread unless detached by then.
    void post(std::function<void(const Listener&)> call) {
        const std::lock_guard<std::mutex> lock(mutex);
        if (phase == Phase::Detached || !listener.context)
            return;
        Listener copy = listener;
        QMetaObject::invokeMethod(
            listener.context, [copy, call] { call(copy); }, Qt::QueuedConnection);
    }
    // Nothing more is reported; `mutex` is held.
    void detach();
    // Detached, with the socket shut so that a command waiting for the server returns.
    void abandon();
    void run(bool autospawn);
    bool serve(SPDConnection* connection);
};

// libspeechd calls back on its events thread with the message and client ids only. The registry
// is never destroyed: a link thread may still be closing while the process ends.
namespace {
std::mutex& clientsMutex() {
    static auto* m = new std::mutex;
    return *m;
}
QHash<int, std::weak_ptr<SpeechdLink::State>>& clients() {
    static auto* c = new QHash<int, std::weak_ptr<SpeechdLink::State>>;
    return *c;
}

// Link threads still running, each holding its state until it ends. The application waits for
// them as it ends, since exit() tears down what they and libspeechd's events thread use.
struct RunningLinks {
    std::mutex mutex;
    std::condition_variable ended;
    QList<std::shared_ptr<SpeechdLink::State>> states;
};
RunningLinks& runningLinks() {
    static auto* r = new RunningLinks;
    return *r;
}
void linkStarted(const std::shared_ptr<SpeechdLink::State>& state) {
    RunningLinks& r = runningLinks();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.states.append(state);
}
void linkEnded(const SpeechdLink::State* state) {
    RunningLinks& r = runningLinks();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.states.removeIf([state](const auto& s) { return s.get() == state; });
    r.ended.notify_all();
}
// At the application's end the threads get a short while to close; a server that does not answer
// then has its sockets shut.
void closeRunningLinks() {
    constexpr int kClosingMs = 1000;
    if (SpeechdLink::waitAllClosed(kClosingMs))
        return;
    QList<std::shared_ptr<SpeechdLink::State>> live;
    {
        RunningLinks& r = runningLinks();
        const std::lock_guard<std::mutex> lock(r.mutex);
        live = r.states;
    }
    for (const auto& state : std::as_const(live))
        state->abandon();
    live.clear();
    SpeechdLink::waitAllClosed(kClosingMs);
}
void postEvent(size_t msgId, size_t clientId, SpeechdEvent event, const char* mark) {
    std::shared_ptr<SpeechdLink::State> state;
    {
        const std::lock_guard<std::mutex> lock(clientsMutex());
        state = clients().value(int(clientId)).lock();
    }
    if (!state)
        return;
    const QByteArray name(mark ? mark : "");
    state->post([msgId, event, name](const SpeechdLink::Listener& l) {
        if (l.event)
            l.event(int(msgId), event, name);
    });
}
void onBegin(size_t msg, size_t client, SPDNotificationType) {
    postEvent(msg, client, SpeechdEvent::Begin, nullptr);
}
void onEnd(size_t msg, size_t client, SPDNotificationType) {
    postEvent(msg, client, SpeechdEvent::End, nullptr);
}
void onCancel(size_t msg, size_t client, SPDNotificationType) {
    postEvent(msg, client, SpeechdEvent::Cancel, nullptr);
}
void onMark(size_t msg, size_t client, SPDNotificationType, char* mark) {
    postEvent(msg, client, SpeechdEvent::Mark, mark);
}
} // namespace

std::shared_ptr<SpeechdLink> SpeechdLink::open(Listener listener) {
    static std::once_flag closedAtExit;
    std::call_once(closedAtExit, [] { qAddPostRoutine(closeRunningLinks); });
    auto state = std::make_shared<State>();
    state->listener = std::move(listener);
    state->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    const bool autospawn = mayAutospawn();
    linkStarted(state);
    std::thread([state, autospawn]() mutable {
        state->run(autospawn);
        // The state goes before the application hears the thread has ended.
        const SpeechdLink::State* ended = state.get();
        state.reset();
        linkEnded(ended);
    }).detach();
    return std::shared_ptr<SpeechdLink>(new SpeechdLink(state));
}

bool SpeechdLink::waitAllClosed(int ms) {
    RunningLinks& r = runningLinks();
    std::unique_lock<std::mutex> lock(r.mutex);
    return r.ended.wait_for(lock, std::chrono::milliseconds(ms),
                            [&r] { return r.states.isEmpty(); });
}

SpeechdLink::~SpeechdLink() {
    detach(false);
}

bool SpeechdLink::mayAutospawn() {
    const QString path = socketPath();
    struct stat info {};
    if (path.isEmpty() || ::stat(path.toLocal8Bit().constData(), &info) != 0)
        return true;
    return S_ISSOCK(info.st_mode);
}

void SpeechdLink::State::run(bool autospawn) {
    blockBrokenPipeSignal();
    char* error = nullptr;
    SPDConnection* connection =
        spd_open2("orasent", "main", nullptr, SPD_MODE_THREADED, nullptr, autospawn, &error);
    free(error);
    if (connection) {
        // Watched from here on, so that abandoning the link also ends the listing below.
        const std::lock_guard<std::mutex> lock(mutex);
        watched = connection->socket >= 0 ? ::dup(connection->socket) : -1;
    }
    QList<ListedVoice> voices;
    const int clientId = connection ? clientIdOf(connection) : -1;
    if (connection) {
        {
            const std::lock_guard<std::mutex> lock(clientsMutex());
            clients().insert(clientId, weak_from_this());
        }
        connection->callback_begin = onBegin;
        connection->callback_end = onEnd;
        connection->callback_cancel = onCancel;
        connection->callback_im = onMark;
        spd_set_notification_on(connection, SPD_BEGIN);
        spd_set_notification_on(connection, SPD_END);
        spd_set_notification_on(connection, SPD_CANCEL);
        spd_set_notification_on(connection, SPD_INDEX_MARKS);
        spd_set_data_mode(connection, SPD_DATA_SSML);
        voices = listVoices(connection);
    }
    const bool ok = connection && watched >= 0 && clientId >= 0;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        setPhase(Phase::Open);
    }
    post([ok, voices](const Listener& l) {
        if (l.opened)
            l.opened(ok, voices);
    });
    if (ok && !serve(connection))
        post([](const Listener& l) {
            if (l.lost)
                l.lost();
        });
    if (connection) {
        {
            const std::lock_guard<std::mutex> lock(clientsMutex());
            clients().remove(clientId);
        }
        spd_close(connection);
    }
    const std::lock_guard<std::mutex> lock(mutex);
    if (watched >= 0)
        ::close(watched);
    watched = -1;
    ::close(wake);
    wake = -1;
}

// Runs the commands until detached (true) or until the server is gone (false).
bool SpeechdLink::State::serve(SPDConnection* connection) {
    for (;;) {
        pollfd fds[2] = {{watched, POLLRDHUP, 0}, {wake, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return false;
        std::deque<std::function<void(SPDConnection*)>> todo;
        bool last = false;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            last = phase == Phase::Detached;
            eventfd_t count = 0;
            eventfd_read(wake, &count);
            todo.swap(tasks);
        }
        if (fds[0].revents & (POLLRDHUP | POLLHUP | POLLERR))
            return last;
        for (auto& task : todo) {
            task(connection);
            if (connection->socket < 0)
                return last;
        }
        if (last)
            return true;
    }
}

bool SpeechdLink::waitOpened(int ms) {
    std::unique_lock<std::mutex> lock(m_state->mutex);
    return m_state->phaseChanged.wait_for(lock, std::chrono::milliseconds(ms), [this] {
        return m_state->phase != State::Phase::Opening;
    });
}

void SpeechdLink::say(int stream, const Settings& settings, const QByteArray& ssml) {
    std::shared_ptr<State> state = m_state;
    auto task = [state, stream, settings, ssml](SPDConnection* c) {
        // Each setting is sent every time: a restarted module forgets them, and they are cheap.
        const bool set = spd_set_output_module(c, settings.module.constData()) == 0 &&
                         spd_set_synthesis_voice(c, settings.voice.constData()) == 0 &&
                         spd_set_voice_rate(c, settings.rate) == 0 &&
                         spd_set_volume(c, settings.volume) == 0;
        const int msgId = set ? spd_say(c, SPD_TEXT, ssml.constData()) : -1;
        if (msgId < 0) {
            state->post([](const Listener& l) {
                if (l.lost)
                    l.lost();
            });
            return;
        }
        state->post([stream, msgId](const Listener& l) {
            if (l.said)
                l.said(stream, msgId);
        });
    };
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->phase == State::Phase::Detached)
        return;
    m_state->tasks.emplace_back(std::move(task));
    eventfd_write(m_state->wake, 1);
}

void SpeechdLink::cancel() {
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    if (m_state->phase == State::Phase::Detached)
        return;
    m_state->tasks.emplace_back([](SPDConnection* c) { spd_cancel(c); });
    eventfd_write(m_state->wake, 1);
}

void SpeechdLink::detach(bool abandon) {
    if (abandon) {
        m_state->abandon();
        return;
    }
    const std::lock_guard<std::mutex> lock(m_state->mutex);
    m_state->detach();
}

void SpeechdLink::State::detach() {
    if (phase == Phase::Detached)
        return;
    setPhase(Phase::Detached);
    if (wake >= 0)
        eventfd_write(wake, 1);
}

void SpeechdLink::State::abandon() {
    const std::lock_guard<std::mutex> lock(mutex);
    detach();
    // A command waiting for a server that does not answer returns once the socket is shut.
    if (watched >= 0)
        ::shutdown(watched, SHUT_RDWR);
}

} // namespace orasent
