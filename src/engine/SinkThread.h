#pragma once
// The thread on which the audio devices' QAudioSinks live, so that a sound server that blocks
// (Qt 6.4 waits for good when a stream starts on a device the server has just removed) stops
// this thread and never the window. Work is posted to it and never waited for; when posted work
// has not run for a second the thread counts as stuck, is left behind, and later outputs get a
// new one.
#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace orasent {

class SinkThread {
public:
    // The thread later outputs use; started on first use.
    static std::shared_ptr<SinkThread> current();
    // Lets this thread go (it is stuck): current() starts another one.
    static void abandon(const std::shared_ptr<SinkThread>& thread);

    ~SinkThread();
    SinkThread(const SinkThread&) = delete;
    SinkThread& operator=(const SinkThread&) = delete;

    // Runs `work` on the thread, after everything posted before it.
    void post(std::function<void()> work);
    // Posted work has waited longer than kStuckMs.
    bool isStuck() const;
    // The object the thread's sinks hang from (they are deleted with it when the thread ends).
    QObject* root() const { return m_root; }

    static constexpr qint64 kStuckMs = 1000;

private:
    SinkThread();
    static qint64 nowMs();

    QThread* m_thread;
    QObject* m_root;
    std::atomic<qint64> m_posted{0};
    std::atomic<qint64> m_done{0};
    std::atomic<qint64> m_progressMs{0}; // when work last ran, or was posted to an idle thread
    bool m_abandoned = false;
};

} // namespace orasent
