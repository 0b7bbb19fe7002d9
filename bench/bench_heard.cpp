// Heard latency: from a real mouse press on Talk to the first sample heard on the sound server's
// default sink, recorded from the sink's monitor, with the voice a new user hears (the clearest
// installed one); against espeak-ng started as a new process and recorded the same way, for
// sentences of 5, 20 and 60 words. Needs an X display with the XTEST extension and a PulseAudio
// null sink:
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_heard
// Options: --presses N (default 20, per length; as many espeak-ng processes, one after each).
// BENCH_HEARD_VERBOSE=1 prints each press's steps and every event that held the GUI thread.
#include "HeardRecorder.h"
#include "common/ui/UserPrompts.h"
#include "engine/CombinedVoice.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/PcmOutput.h"
#include "reader/ui/EnglishF.h"
#include "speech/ui/TTSSetup.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <dlfcn.h>
#include <functional>
#include <mutex>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace orasent;
using namespace orasent::bench;

namespace {

constexpr int kTemplate = kRate / 12; // 83 ms: how a sentence's start is recognised in speech

// Where `pattern` best matches `signal` (normalised cross-correlation), as an offset, or -1.
qint64 bestMatch(const std::vector<short>& signal, const std::vector<short>& pattern) {
    double pp = 0;
    for (short p : pattern)
        pp += double(p) * p;
    qint64 best = -1;
    double bestScore = 0.5; // below this the sentence was not found
    for (size_t at = 0; at + pattern.size() <= signal.size(); ++at) {
        double sp = 0, ss = 0;
        for (size_t i = 0; i < pattern.size(); ++i) {
            sp += double(signal[at + i]) * pattern[i];
            ss += double(signal[at + i]) * signal[at + i];
        }
        const double score = ss > 0 ? sp / std::sqrt(ss * pp) : 0;
        if (score > bestScore) {
            bestScore = score;
            best = qint64(at);
        }
    }
    return best;
}

// A press of the left button where the pointer is moved to, through the X server (XTEST).
class XPointer {
public:
    bool open() {
        void* x11 = dlopen("libX11.so.6", RTLD_NOW);
        void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
        if (!x11 || !xtst)
            return false;
        m_open = reinterpret_cast<void* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
        m_flush = reinterpret_cast<int (*)(void*)>(dlsym(x11, "XFlush"));
        m_motion = reinterpret_cast<int (*)(void*, int, int, int, unsigned long)>(
            dlsym(xtst, "XTestFakeMotionEvent"));
        m_button = reinterpret_cast<int (*)(void*, unsigned, int, unsigned long)>(
            dlsym(xtst, "XTestFakeButtonEvent"));
        m_display = m_open && m_flush && m_motion && m_button ? m_open(nullptr) : nullptr;
        return m_display != nullptr;
    }
    // Returns the time the press left for the X server.
    double click(const QPoint& global) {
        m_motion(m_display, -1, global.x(), global.y(), 0);
        m_flush(m_display);
        QTest::qWait(50);
        m_button(m_display, 1, 1, 0);
        const double at = nowMs();
        m_flush(m_display);
        m_button(m_display, 1, 0, 0);
        m_flush(m_display);
        return at;
    }

private:
    void* (*m_open)(const char*) = nullptr;
    int (*m_flush)(void*) = nullptr;
    int (*m_motion)(void*, int, int, int, unsigned long) = nullptr;
    int (*m_button)(void*, unsigned, int, unsigned long) = nullptr;
    void* m_display = nullptr;
};

// When each stream asked for its output and first wrote to it, to split the latency up.
struct StreamTimes {
    double created = -1, firstWrite = -1;
};
std::vector<StreamTimes> g_streams;

class ProbeOutput : public PcmOutput {
public:
    explicit ProbeOutput(size_t index)
        : m_inner(QMediaDevices::defaultAudioOutput()), m_index(index) {
        g_streams[m_index].created = nowMs();
    }
    void open(const SpeechAudioFormat& f) override { m_inner.open(f); }
    qint64 write(const char* d, qint64 n) override {
        const qint64 done = m_inner.write(d, n);
        if (done > 0 && g_streams[m_index].firstWrite < 0)
            g_streams[m_index].firstWrite = nowMs();
        return done;
    }
    qint64 playedFrames() override { return m_inner.playedFrames(); }
    bool failed() const override { return m_inner.failed(); }
    void close() override { m_inner.close(); }
    void discard() override { m_inner.discard(); }
    bool wantsTrailingSilence() const override { return m_inner.wantsTrailingSilence(); }

private:
    DevicePcmOutput m_inner;
    size_t m_index;
};

struct Rig {
    TTSSetup tts{createDefaultVoiceForBench, UserPrompts::standard()};
    EnglishF reader{tts, UserPrompts::standard()};
    QPushButton* talk = nullptr;
    QPushButton* stop = nullptr;
    static std::unique_ptr<PcmOutput> probe() {
        g_streams.emplace_back();
        return std::make_unique<ProbeOutput>(g_streams.size() - 1);
    }
    // The program's voice as a new user has it (without speech-dispatcher), its outputs probed.
    static std::unique_ptr<SpVoice> createDefaultVoiceForBench() {
        auto espeak = std::make_unique<EspeakVoice>();
        espeak->setOutputFactory(probe);
        std::unique_ptr<SpVoice> flite = createFliteVoice();
        if (auto* inProcess = dynamic_cast<EspeakVoice*>(flite.get()))
            inProcess->setOutputFactory(probe);
        return std::make_unique<CombinedVoice>(std::move(espeak), nullptr, nullptr,
                                               std::move(flite));
    }
    bool idle() { return tts.SpeakBtn()->isEnabled() && tts.handedOverBox()->text().isEmpty(); }
    QString sentence() const {
        return reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"))->toPlainText().toUpper();
    }
    QPoint talkPoint() const { return talk->mapToGlobal(talk->rect().center()); }
};

// Waits until nothing has been heard for `quietMs`.
bool waitForQuiet(Recorder& rec, int quietMs) {
    return waitFor(
        [&] {
            const qint64 n = rec.count();
            return rec.firstLoud(n - quietMs * kRate / 1000) < 0;
        },
        20000);
}

// The first sentence heard after `pressMs` (ms from the press), or -1; the sentence's first
// samples go to `start` when asked.
double heardFromIdle(Recorder& rec, double pressMs, std::vector<short>* start) {
    const qint64 from = rec.indexAt(pressMs);
    const qint64 before = rec.firstLoud(from - kRate / 10);
    if (before >= 0 && before < from)
        return -1; // still sounding at the press: not a press from silence
    if (!waitFor(
            [&] {
                return rec.firstLoud(from) >= 0 && rec.count() > rec.firstLoud(from) + kTemplate;
            },
            5000))
        return -1;
    const qint64 onset = rec.firstLoud(from);
    if (start)
        *start = rec.copy(onset, kTemplate);
    return rec.timeOf(onset) - pressMs;
}

struct Figures {
    std::vector<double> idle, speaking, process;
    std::vector<double> toSpeak, toWrite;                // from the press, from idle
    int lostIdle = 0, lostSpeaking = 0, lostProcess = 0; // presses or runs without audio
};

// espeak-ng started as a new process for the sentence just pressed for, upper case as the speech
// window speaks it. Taken right after each press, so both see the same load on the machine.
void startProcess(Recorder& rec, const QString& sentence, bool counted, Figures& f) {
    waitForQuiet(rec, 300);
    QProcess espeak;
    const double started = nowMs();
    espeak.start(QStringLiteral("espeak-ng"), {sentence.simplified()});
    const double heard = heardFromIdle(rec, started, nullptr);
    if (heard < 0)
        ++f.lostProcess;
    else if (counted)
        f.process.push_back(heard);
    espeak.kill();
    espeak.waitForFinished(5000);
}

void pressFromIdle(Rig& rig, Recorder& rec, XPointer& x, int presses, Figures& f,
                   std::vector<std::vector<short>>& starts, QStringList& sentences) {
    rig.reader.model().setNextPos(1);
    for (int i = 0; i <= presses; ++i) {
        waitFor([&] { return rig.idle(); }, 20000);
        waitForQuiet(rec, 300);
        const double pressed = x.click(rig.talkPoint());
        std::vector<short> start;
        const double heard = heardFromIdle(rec, pressed, &start);
        starts.push_back(start);
        sentences << rig.sentence();
        if (heard < 0) {
            ++f.lostIdle;
            if (qEnvironmentVariableIsSet("BENCH_HEARD_VERBOSE"))
                std::fprintf(stderr,
                             "not heard: %zu streams, last made %.1f ms after the press, "
                             "speak box \"%s\"\n",
                             g_streams.size(),
                             g_streams.empty() ? 0 : g_streams.back().created - pressed,
                             qPrintable(rig.tts.handedOverBox()->text().left(20)));
        } else if (i > 0) { // the first press warms the file cache and the sound server
            f.idle.push_back(heard);
            if (!g_streams.empty() && g_streams.back().firstWrite >= 0) {
                f.toSpeak.push_back(g_streams.back().created - pressed);
                f.toWrite.push_back(g_streams.back().firstWrite - pressed);
                if (qEnvironmentVariableIsSet("BENCH_HEARD_VERBOSE"))
                    std::fprintf(stderr, "blank %.1f speak %.1f write %.1f heard %.1f\n",
                                 g_streams[g_streams.size() - 2].created - pressed,
                                 g_streams.back().created - pressed,
                                 g_streams.back().firstWrite - pressed, heard);
            }
        }
        QTest::qWait(300);
        rig.stop->click();
        waitFor([&] { return rig.idle(); }, 20000);
        startProcess(rec, sentences.last(), i > 0, f);
    }
}

void pressWhileSpeaking(Rig& rig, Recorder& rec, XPointer& x, int presses, Figures& f,
                        const std::vector<std::vector<short>>& starts) {
    waitFor([&] { return rig.idle(); }, 20000);
    waitForQuiet(rec, 300);
    rig.reader.model().setNextPos(1);
    heardFromIdle(rec, x.click(rig.talkPoint()), nullptr);
    for (int i = 1; i <= presses && i < int(starts.size()); ++i) {
        QTest::qWait(700); // well inside the sentence
        const double pressed = x.click(rig.talkPoint());
        QTest::qWait(1500);
        const qint64 from = rec.indexAt(pressed);
        const qint64 at = bestMatch(rec.copy(from, rec.count() - from), starts[size_t(i)]);
        if (at < 0 || starts[size_t(i)].empty())
            ++f.lostSpeaking;
        else
            f.speaking.push_back(rec.timeOf(from + at) - pressed);
        if (qEnvironmentVariableIsSet("BENCH_HEARD_VERBOSE") && at >= 0)
            std::fprintf(stderr, "while speaking: speak %.1f write %.1f heard %.1f\n",
                         g_streams.back().created - pressed, g_streams.back().firstWrite - pressed,
                         rec.timeOf(from + at) - pressed);
    }
    rig.stop->click();
}

void printFigures(int words, const Figures& f) {
    const double idle = median(f.idle), speaking = median(f.speaking), process = median(f.process);
    std::printf("sentences of %d words (without audio: %d, %d, %d)\n", words, f.lostIdle,
                f.lostSpeaking, f.lostProcess);
    std::printf("  1 Talk pressed from idle          median %6.1f ms  (%zu presses)\n", idle,
                f.idle.size());
    if (!f.speaking.empty())
        std::printf("  2 Talk pressed while speaking     median %6.1f ms  (%zu presses)\n",
                    speaking, f.speaking.size());
    std::printf(
        "  3 espeak-ng as a new process      median %6.1f ms  (%zu runs, one after each press)\n",
        process, f.process.size());
    std::printf("  from idle: press to Speak() %.1f ms, to first write to the device %.1f ms\n",
                median(f.toSpeak), median(f.toWrite));
    std::printf("  ratio 1 / 3                              %6.2f     (goal <= 1.0)\n",
                idle / process);
}

// Everyday words; sentence i starts at its own place in the list, so no two sentences begin
// alike (the presses while speaking find each sentence's start in the recording).
QString sentencesOf(int words, int count) {
    static const QStringList vocabulary =
        QStringLiteral(
            "many people walk to the market on a sunny morning and buy fresh bread with warm milk "
            "while children play near the old bridge where the river bends slowly past green "
            "fields full of quiet sheep that rest under tall trees until evening brings cool air "
            "across the small village beside our house")
            .split(QLatin1Char(' '));
    QStringList sentences;
    for (int i = 0; i < count; ++i) {
        QStringList sentence;
        for (int w = 0; w < words; ++w)
            sentence << vocabulary.at((i * 7 + w) % vocabulary.size());
        QString text = sentence.join(QLatin1Char(' ')) + QLatin1Char('.');
        text[0] = text.at(0).toUpper();
        sentences << text;
    }
    return sentences.join(QLatin1Char(' '));
}

// The reader's pool file, read at its start, holds sentences of `words` words.
bool prepareFolder(QTemporaryDir& folder, int words, int count) {
    QFile pool(folder.filePath(QStringLiteral("Tech Pool.txt")));
    return folder.isValid() && pool.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           pool.write(sentencesOf(words, count).toUtf8()) > 0 && QDir::setCurrent(folder.path());
}

// Presses Talk `presses` times for sentences of `words` words (and while speaking, `alsoWhile`).
bool measureVoice(Recorder& rec, XPointer& x, int words, int presses, bool alsoWhile, Figures& f,
                  QStringList& sentences) {
    Rig rig;
    rig.reader.loadWindow();
    rig.reader.show();
    if (!QTest::qWaitForWindowExposed(&rig.reader))
        return false;
    rig.talk = rig.reader.findChild<QPushButton*>(QStringLiteral("Command3"));
    rig.stop = rig.reader.findChild<QPushButton*>(QStringLiteral("Command4"));
    if (!rig.talk || !rig.stop)
        return false;
    if (words == 5)
        std::printf("voice: %s\n", qPrintable(rig.tts.Voice()->Voice().GetDescription()));
    std::vector<std::vector<short>> starts;
    pressFromIdle(rig, rec, x, presses, f, starts, sentences);
    if (alsoWhile)
        pressWhileSpeaking(rig, rec, x, presses, f, starts);
    waitFor([&] { return rig.idle(); }, 20000);
    rig.reader.hide();
    return true;
}

// With BENCH_HEARD_VERBOSE set, names every event that keeps the GUI thread busy for 5 ms or more.
class TimingApp : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        const double t = nowMs();
        const int type = event->type();
        const bool result = QApplication::notify(receiver, event);
        const double took = nowMs() - t;
        if (took >= 5 && m_verbose)
            std::fprintf(stderr, "  %.1f ms in event %d for %s %s\n", took, type,
                         receiver->metaObject()->className(), qPrintable(receiver->objectName()));
        return result;
    }

private:
    bool m_verbose = qEnvironmentVariableIsSet("BENCH_HEARD_VERBOSE");
};

} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    TimingApp app(argc, argv);
    const QStringList args = app.arguments();
    auto option = [&](const char* name, int fallback) {
        const int at = args.indexOf(QString::fromLatin1(name));
        return at >= 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
    };
    XPointer x;
    Recorder rec;
    QTemporaryDir folder;
    if (!x.open() || QMediaDevices::audioOutputs().isEmpty() || !rec.start() || !folder.isValid()) {
        std::printf("needs an X display with XTEST, a PulseAudio sink and parec\n");
        return 1;
    }
    const int presses = option("--presses", 20);
    for (const int words : {5, 20, 60}) {
        Figures f;
        QStringList sentences;
        if (!prepareFolder(folder, words, presses + 2) ||
            !measureVoice(rec, x, words, presses, words == 20, f, sentences))
            return 1;
        printFigures(words, f);
    }
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
