#include "app/QuitSignals.h"

#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orasent {

namespace {
int g_pipe[2] = {-1, -1};
volatile std::sig_atomic_t g_received = 0;
constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};

// Only async-signal-safe calls here.
void onQuitSignal(int number) {
    if (g_received) {
        // The quit already under way takes too long for whoever asks again.
        _exit(128 + number);
    }
    g_received = 1;
    const char byte = char(number);
    const ssize_t written = ::write(g_pipe[1], &byte, 1);
    (void)written;
}
} // namespace

QuitSignals::QuitSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    ::fcntl(g_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::readSignal);
    struct sigaction action = {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals() {
    if (!m_notifier)
        return;
    for (const int number : kSignals)
        std::signal(number, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
    g_received = 0;
}

void QuitSignals::readSignal() {
    char byte = 0;
    if (::read(g_pipe[0], &byte, 1) != 1)
        return;
    m_notifier->setEnabled(false); // one quit; a second signal ends the program in the handler
    emit quitRequested(int(byte));
}

} // namespace orasent
