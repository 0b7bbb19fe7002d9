// Figures of the whole program: the real windows with the espeak-ng engine. Run it with a sound
// server and a display, e.g.
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_app
// Parts: --startup (needs an X display), --talk, --idle; all three without an argument.
// Options: --runs N (start-ups, default 15), --presses N (default 50), --idle-seconds S (60),
// --orasent PATH (the program; default next to this benchmark's build folder).
// --bare-window makes this program the bare Qt window that start-up is compared against.
#include "common/ui/UserPrompts.h"
#include "engine/EspeakVoice.h"
#include "engine/PcmOutput.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMediaDevices>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <deque>
#include <dlfcn.h>
#include <functional>
#include <poll.h>
#include <sys/resource.h>
#include <xcb/xcb.h>

using namespace orasent;

namespace {

QElapsedTimer g_clock;
double nowMs() {
    return g_clock.nsecsElapsed() / 1e6;
}

double percentile(QVector<double> v, double p) {
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    const int i = qBound(0, int(std::ceil(p / 100.0 * v.size())) - 1, int(v.size()) - 1);
    return v.at(i);
}
double median(const QVector<double>& v) {
    return percentile(v, 50);
}

template <class T> T* control(QWidget& parent, const QString& objectName) {
    for (T* candidate : parent.findChildren<T*>())
        if (candidate->objectName() == objectName)
            return candidate;
    return nullptr;
}

// Runs the event loop until `done` holds or `timeoutMs` passes; true if it holds.
// Nothing sleeps: the loop handles each event as it comes, and a 1 ms timer looks at `done`.
bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    look.start();
    loop.exec();
    return done();
}

// --- the device side of one stream --------------------------------------------------------

struct StreamProbe {
    double createdMs = -1;     // Speak() asked for the output
    double firstWriteMs = -1;  // the first samples went into the audio device
    double firstPlayedMs = -1; // the device reported the first frames played
};

class ProbeOutput : public PcmOutput {
public:
    ProbeOutput(std::unique_ptr<PcmOutput> inner, StreamProbe* probe)
        : m_inner(std::move(inner)), m_probe(probe) {
        m_probe->createdMs = nowMs();
    }
    void open(const SpeechAudioFormat& f) override { m_inner->open(f); }
    qint64 write(const char* d, qint64 n) override {
        const qint64 done = m_inner->write(d, n);
        if (done > 0 && m_probe->firstWriteMs < 0)
            m_probe->firstWriteMs = nowMs();
        return done;
    }
    qint64 playedFrames() override {
        const qint64 p = m_inner->playedFrames();
        if (p > 0 && m_probe->firstPlayedMs < 0)
            m_probe->firstPlayedMs = nowMs();
        return p;
    }
    bool failed() const override { return m_inner->failed(); }
    void close() override { m_inner->close(); }
    void discard() override { m_inner->discard(); }
    bool wantsTrailingSilence() const override { return m_inner->wantsTrailingSilence(); }

private:
    std::unique_ptr<PcmOutput> m_inner;
    StreamProbe* m_probe;
};

// One probe per output, in the order Speak() makes them: probe n belongs to stream n.
std::deque<StreamProbe> g_probes;
EspeakVoice* g_voice = nullptr;

std::unique_ptr<SpVoice> makeProbedVoice() {
    auto voice = std::make_unique<EspeakVoice>();
    g_voice = voice.get();
    voice->setOutputFactory([] {
        g_probes.emplace_back();
        return std::make_unique<ProbeOutput>(
            std::make_unique<DevicePcmOutput>(QMediaDevices::defaultAudioOutput()),
            &g_probes.back());
    });
    return voice;
}

// A working folder holding the question pool, as a new user would start in.
bool prepareFolder(QTemporaryDir& folder) {
    const QString pool =
        QStringLiteral(ORASENT_SOURCE_DATA_DIR) + QStringLiteral("/data/pools/Tech Pool.txt");
    if (!folder.isValid() || !QFile::copy(pool, folder.filePath(QStringLiteral("Tech Pool.txt")))) {
        std::fprintf(stderr, "cannot prepare a working folder with %s\n", qPrintable(pool));
        return false;
    }
    return true;
}

// --- start-up: process start to the first window mapped on the X display ------------------

// libxcb is loaded at run time, so this program links like every other benchmark.
struct Xcb {
    decltype(&xcb_connect) connect = nullptr;
    decltype(&xcb_disconnect) disconnect = nullptr;
    decltype(&xcb_connection_has_error) hasError = nullptr;
    decltype(&xcb_get_setup) getSetup = nullptr;
    decltype(&xcb_setup_roots_iterator) rootsIterator = nullptr;
    decltype(&xcb_change_window_attributes) changeAttributes = nullptr;
    decltype(&xcb_flush) flush = nullptr;
    decltype(&xcb_poll_for_event) pollForEvent = nullptr;
    decltype(&xcb_get_file_descriptor) fileDescriptor = nullptr;
    decltype(&xcb_get_property) getProperty = nullptr;
    decltype(&xcb_get_property_reply) getPropertyReply = nullptr;
    decltype(&xcb_get_property_value) propertyValue = nullptr;
    decltype(&xcb_get_property_value_length) propertyValueLength = nullptr;

    bool load() {
        void* lib = dlopen("libxcb.so.1", RTLD_NOW);
        if (!lib)
            return false;
        auto sym = [lib](auto& fn, const char* name) {
            fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
            return fn != nullptr;
        };
        return sym(connect, "xcb_connect") && sym(disconnect, "xcb_disconnect") &&
               sym(hasError, "xcb_connection_has_error") && sym(getSetup, "xcb_get_setup") &&
               sym(rootsIterator, "xcb_setup_roots_iterator") &&
               sym(changeAttributes, "xcb_change_window_attributes") && sym(flush, "xcb_flush") &&
               sym(pollForEvent, "xcb_poll_for_event") &&
               sym(fileDescriptor, "xcb_get_file_descriptor") &&
               sym(getProperty, "xcb_get_property") &&
               sym(getPropertyReply, "xcb_get_property_reply") &&
               sym(propertyValue, "xcb_get_property_value") &&
               sym(propertyValueLength, "xcb_get_property_value_length");
    }
};

QString windowName(Xcb& x, xcb_connection_t* c, xcb_window_t w) {
    const xcb_get_property_cookie_t cookie =
        x.getProperty(c, 0, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    xcb_get_property_reply_t* reply = x.getPropertyReply(c, cookie, nullptr);
    if (!reply)
        return {};
    const QString name = QString::fromUtf8(static_cast<const char*>(x.propertyValue(reply)),
                                           x.propertyValueLength(reply));
    std::free(reply);
    return name;
}

// Starts `program` and returns the milliseconds until a top-level window titled `title` is
// mapped, or -1.
double timeToWindow(Xcb& x, xcb_connection_t* c, const QString& program, const QStringList& args,
                    const QString& workingFolder, const QString& title) {
    QProcess child;
    child.setWorkingDirectory(workingFolder);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setStandardOutputFile(QProcess::nullDevice());
    while (xcb_generic_event_t* stale = x.pollForEvent(c))
        std::free(stale);

    const double started = nowMs();
    child.start(program, args);
    double mapped = -1;
    while (mapped < 0 && nowMs() - started < 20000) {
        xcb_generic_event_t* e = x.pollForEvent(c);
        if (!e) {
            if (x.hasError(c))
                break;
            // Blocks until the X server sends something, so the child has the processors to itself.
            pollfd fd{x.fileDescriptor(c), POLLIN, 0};
            ::poll(&fd, 1, 100);
            continue;
        }
        if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const double at = nowMs();
            const auto* map = reinterpret_cast<xcb_map_notify_event_t*>(e);
            if (!map->override_redirect && windowName(x, c, map->window) == title)
                mapped = at - started;
        }
        std::free(e);
    }
    child.terminate();
    if (!child.waitForFinished(5000)) {
        child.kill();
        child.waitForFinished(5000);
    }
    return mapped;
}

void benchStartup(const QString& orasent, int runs) {
    Xcb x;
    if (!x.load()) {
        std::printf("start-up: libxcb not available, skipped\n");
        return;
    }
    int screenNumber = 0;
    xcb_connection_t* c = x.connect(nullptr, &screenNumber);
    if (!c || x.hasError(c)) {
        std::printf("start-up: no X display (run under xvfb-run), skipped\n");
        return;
    }
    xcb_screen_t* screen = x.rootsIterator(x.getSetup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    x.changeAttributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    x.flush(c);

    QTemporaryDir folder;
    if (!prepareFolder(folder))
        return;
    const QString self = QCoreApplication::applicationFilePath();
    QVector<double> app, bare;
    // Alternating runs, so that both see the same state of the machine; the first of each
    // warms the file cache and is not counted.
    for (int i = 0; i <= runs; ++i) {
        // A fresh state each time: the program starts as a new user's would.
        QFile::remove(folder.filePath(QStringLiteral("Orasent.txt")));
        QFile::remove(folder.filePath(QStringLiteral("VIC.INI")));
        const double a =
            timeToWindow(x, c, orasent, {}, folder.path(), QStringLiteral("Read Text"));
        const double b = timeToWindow(x, c, self, {QStringLiteral("--bare-window")}, folder.path(),
                                      QStringLiteral("Bare Window"));
        if (a < 0 || b < 0) {
            std::printf("start-up: a window did not appear (orasent %.1f, bare %.1f)\n", a, b);
            x.disconnect(c);
            return;
        }
        if (i > 0) {
            app.append(a);
            bare.append(b);
        }
    }
    x.disconnect(c);
    const double ratio = median(app) / median(bare);
    std::printf("start-up to window mapped (xcb on %s, %d runs each)\n",
                qgetenv("DISPLAY").constData(), runs);
    std::printf("  %-34s median %7.1f ms   min %7.1f   max %7.1f\n", "orasent reader window",
                median(app), percentile(app, 0), percentile(app, 100));
    std::printf("  %-34s median %7.1f ms   min %7.1f   max %7.1f\n", "bare Qt window", median(bare),
                percentile(bare, 0), percentile(bare, 100));
    std::printf("  %-34s %7.2fx   (goal 2x or less)\n", "ratio of medians", ratio);
}

int bareWindow(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Window"));
    window.show();
    return app.exec();
}

// --- Talk latency and idle CPU with both windows --------------------------------------------

struct Windows {
    TTSSetup tts{makeProbedVoice, UserPrompts::standard()};
    EnglishF reader{tts, UserPrompts::standard()};
    QPushButton* talk = nullptr;
    QPushButton* stop = nullptr;

    bool speechIdle() const {
        return tts.SpeakBtn()->isEnabled() && tts.handedOverBox()->text().isEmpty() && g_voice &&
               g_voice->isIdle();
    }
};

// Presses Talk `presses` times; with `interrupt` each press comes while the previous sentence
// is being heard, else each comes when the speech window is idle.
void benchTalk(Windows& w, int presses, bool interrupt) {
    QVector<double> speak, write, played;
    int lost = 0;
    for (int i = 0; i < presses; ++i) {
        if (i % 20 == 0)
            w.reader.model().setNextPos(1); // the pool holds 22 sentences
        if (!interrupt && !waitFor([&] { return w.speechIdle(); }, 15000)) {
            std::printf("  the speech window did not become idle\n");
            return;
        }
        const size_t before = g_probes.size();
        const double t0 = nowMs();
        QTest::mousePress(w.talk, Qt::LeftButton, {}, w.talk->rect().center());
        QTest::mouseRelease(w.talk, Qt::LeftButton, {}, w.talk->rect().center());
        const bool heard = waitFor(
            [&] {
                // StopVoice's blank and then the sentence: two streams per press.
                return g_probes.size() >= before + 2 && g_probes.back().firstPlayedMs >= 0;
            },
            5000);
        if (!heard) {
            ++lost;
            continue;
        }
        const StreamProbe& p = g_probes.back();
        speak.append(p.createdMs - t0);
        write.append(p.firstWriteMs - t0);
        played.append(p.firstPlayedMs - t0);
        // Let some of it be heard, then stop (or press again) the way a user would.
        QTest::qWait(interrupt ? 700 : 300);
        if (!interrupt)
            QTest::mouseClick(w.stop, Qt::LeftButton);
    }
    std::printf("Talk press to ... (%s, %lld presses%s)\n",
                interrupt ? "pressed while the last sentence plays" : "pressed when idle",
                qlonglong(speak.size()),
                lost ? qPrintable(QStringLiteral(", %1 without audio").arg(lost)) : "");
    std::printf("  %-42s median %6.1f ms   p95 %6.1f ms\n", "Speak() of the sentence",
                median(speak), percentile(speak, 95));
    std::printf("  %-42s median %6.1f ms   p95 %6.1f ms   (goal p95 <= 100)\n",
                "first samples written to the device", median(write), percentile(write, 95));
    std::printf("  %-42s median %6.1f ms   p95 %6.1f ms\n", "device reports first frames played",
                median(played), percentile(played, 95));
}

double cpuMs(long* switches = nullptr) {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    if (switches)
        *switches = u.ru_nvcsw + u.ru_nivcsw;
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

void benchIdle(Windows& w, int seconds) {
    w.tts.showWindow();
    if (!QTest::qWaitForWindowExposed(&w.tts))
        std::printf("the speech window was not exposed\n");
    waitFor([&] { return w.speechIdle(); }, 15000);
    QTest::qWait(500);
    long switches0 = 0, switches1 = 0;
    const double cpu0 = cpuMs(&switches0);
    const double t0 = nowMs();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuMs(&switches1) - cpu0;
    const double wall = nowMs() - t0;
    std::printf("idle with both windows shown, %d s\n", seconds);
    std::printf("  %-42s %8.1f ms   (%.3f %% of one core)\n", "CPU time, all threads", cpu,
                100.0 * cpu / wall);
    std::printf("  %-42s %8.1f per second\n", "context switches (wake-ups), all threads",
                (switches1 - switches0) * 1000.0 / wall);
}

} // namespace

int main(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--bare-window") == 0)
            return bareWindow(argc, argv);

    g_clock.start();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const char* name, int fallback) {
        const int at = args.indexOf(QString::fromLatin1(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    const bool all = !args.contains(QStringLiteral("--startup")) &&
                     !args.contains(QStringLiteral("--talk")) &&
                     !args.contains(QStringLiteral("--idle"));
    QString orasent =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../src/app/orasent");
    if (const int at = args.indexOf(QStringLiteral("--orasent")); at >= 0 && at + 1 < args.size())
        orasent = args.at(at + 1);

    std::printf("platform %s, audio output: %s\n", qPrintable(QGuiApplication::platformName()),
                qPrintable(QMediaDevices::defaultAudioOutput().description()));
    if (all || args.contains(QStringLiteral("--startup")))
        benchStartup(orasent, option("--runs", 15));

    if (!(all || args.contains(QStringLiteral("--talk")) ||
          args.contains(QStringLiteral("--idle"))))
        return 0;
    if (QMediaDevices::audioOutputs().isEmpty()) {
        std::printf("no audio output: run it through scripts/with-pulseaudio.sh\n");
        return 1;
    }
    QTemporaryDir folder;
    if (!prepareFolder(folder) || !QDir::setCurrent(folder.path()))
        return 1;
    {
        Windows w;
        w.reader.loadWindow();
        w.reader.show();
        if (!QTest::qWaitForWindowExposed(&w.reader))
            std::printf("the reader window was not exposed\n");
        w.talk = control<QPushButton>(w.reader, QStringLiteral("Command3"));
        w.stop = control<QPushButton>(w.reader, QStringLiteral("Command4"));
        if (!w.talk || !w.stop) {
            std::printf("Talk or Stop not found by accessible name\n");
            return 1;
        }
        if (all || args.contains(QStringLiteral("--talk"))) {
            benchTalk(w, option("--presses", 50), false);
            benchTalk(w, option("--presses", 50), true);
            QTest::mouseClick(w.stop, Qt::LeftButton);
        }
        if (all || args.contains(QStringLiteral("--idle")))
            benchIdle(w, option("--idle-seconds", 60));
        w.reader.hide();
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
