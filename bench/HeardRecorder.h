#pragma once
// What the benchmarks hear: parec recording the default sink's monitor, with the time each read
// arrived, and the small helpers the heard-latency figures share.
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orasent::bench {

constexpr int kRate = 16000; // recorder samples per second
constexpr int kLoud = 200;   // a sample above this (of 32767) is heard

inline double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> v) {
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

inline bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    look.start(1);
    loop.exec();
    return done();
}

// parec on the default sink's monitor, at 10 ms latency. A sample counts as heard when the read
// that carries it arrives: the same recorder delay is in every figure, so the ratios are fair.
class Recorder {
public:
    // `device`: a source such as a sink's monitor, "@DEFAULT_MONITOR@" when empty.
    bool start(const std::string& device = {}) {
        const std::string source =
            "--device=" + (device.empty() ? std::string("@DEFAULT_MONITOR@") : device);
        const char* const argv[] = {"parec",        source.c_str(),   "--rate=16000",
                                    "--channels=1", "--format=s16le", "--latency-msec=10",
                                    "--raw",        nullptr};
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0)
            return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, ends[1], 1);
        posix_spawn_file_actions_addclose(&actions, ends[0]);
        posix_spawn_file_actions_addclose(&actions, ends[1]);
        const int spawned = posix_spawnp(&m_pid, "parec", &actions, nullptr,
                                         const_cast<char* const*>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(ends[1]);
        m_fd = ends[0];
        if (spawned != 0) {
            m_pid = 0;
            return false;
        }
        m_thread = std::thread([this] { run(); });
        return waitFor([this] { return count() > kRate / 2; }, 5000);
    }
    // parec is ended by its id: with an idle sink it writes nothing, so a closed pipe would
    // not end it.
    ~Recorder() {
        m_quit = true;
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
        if (m_thread.joinable())
            m_thread.join(); // the read returns once parec has gone
        if (m_pid > 0)
            ::waitpid(m_pid, nullptr, 0);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    qint64 count() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return qint64(m_samples.size());
    }
    // The first sample that arrived after `ms`.
    qint64 indexAt(double ms) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto read = std::lower_bound(m_reads.begin(), m_reads.end(), ms,
                                           [](const Read& r, double t) { return r.arrival < t; });
        return read == m_reads.begin() ? 0 : std::prev(read)->end;
    }
    double timeOf(qint64 index) {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto read = std::upper_bound(m_reads.begin(), m_reads.end(), index,
                                           [](qint64 i, const Read& r) { return i < r.end; });
        return read == m_reads.end() ? nowMs() : read->arrival;
    }
    // First heard sample at or after `from`, or -1.
    qint64 firstLoud(qint64 from) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (qint64 i = qMax<qint64>(0, from); i < qint64(m_samples.size()); ++i)
            if (std::abs(m_samples[size_t(i)]) > kLoud)
                return i;
        return -1;
    }
    std::vector<short> copy(qint64 from, qint64 n) {
        std::lock_guard<std::mutex> lock(m_mutex);
        from = qBound<qint64>(0, from, qint64(m_samples.size()));
        n = qMin<qint64>(n, qint64(m_samples.size()) - from);
        return std::vector<short>(m_samples.begin() + from, m_samples.begin() + from + n);
    }

private:
    void run() {
        short buffer[160];
        while (!m_quit) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                return;
            const double at = nowMs();
            std::lock_guard<std::mutex> lock(m_mutex);
            m_samples.insert(m_samples.end(), buffer, buffer + n / 2);
            m_reads.push_back({at, qint64(m_samples.size())});
        }
    }
    struct Read {
        double arrival;
        qint64 end; // samples received with it
    };
    pid_t m_pid = 0;
    int m_fd = -1;
    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::mutex m_mutex;
    std::vector<short> m_samples;
    std::vector<Read> m_reads;
};

} // namespace orasent::bench
