#include "engine/SinkThread.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <mutex>
#include <vector>

namespace orasent {

namespace {

std::mutex g_mutex;
std::shared_ptr<SinkThread> g_current;
// Stuck threads are never freed: work posted to them may still run one day.
std::vector<std::shared_ptr<SinkThread>> g_abandoned;

// With the application: its sinks are closed while Qt Multimedia is still there.
void stopCurrentThread() {
    std::shared_ptr<SinkThread> last;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        last.swap(g_current);
    }
}

} // namespace

qint64 SinkThread::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::shared_ptr<SinkThread> SinkThread::current() {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!g_current) {
        static const bool routineAdded = [] {
            qAddPostRoutine(stopCurrentThread);
            return true;
        }();
        Q_UNUSED(routineAdded);
        g_current.reset(new SinkThread);
    }
    return g_current;
}

void SinkThread::abandon(const std::shared_ptr<SinkThread>& thread) {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (!thread || thread->m_abandoned)
        return;
    thread->m_abandoned = true;
    g_abandoned.push_back(thread);
    if (g_current == thread)
        g_current.reset();
    qWarning("orasent: the audio thread is stuck in the sound server; later speech uses a new one");
}

SinkThread::SinkThread() : m_thread(new QThread), m_root(new QObject) {
    m_thread->setObjectName(QStringLiteral("orasent audio"));
    m_root->moveToThread(m_thread);
    // Emitted on the thread itself as it ends: its sinks go with it.
    QObject* root = m_root;
    QObject::connect(
        m_thread, &QThread::finished, root, [root] { delete root; }, Qt::DirectConnection);
    m_thread->start();
}

SinkThread::~SinkThread() {
    m_thread->quit();
    if (m_thread->wait(2000))
        delete m_thread;
    // else it hangs in the sound server; it is left to the end of the process.
}

void SinkThread::post(std::function<void()> work) {
    if (m_posted.load() == m_done.load())
        m_progressMs = nowMs();
    ++m_posted;
    QMetaObject::invokeMethod(
        m_root,
        [this, work = std::move(work)] {
            work();
            m_progressMs = nowMs();
            ++m_done;
        },
        Qt::QueuedConnection);
}

bool SinkThread::isStuck() const {
    return m_posted.load() > m_done.load() && nowMs() - m_progressMs.load() > kStuckMs;
}

} // namespace orasent
