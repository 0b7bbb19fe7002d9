// Word Help latency: from a real mouse click on a word in the sentence box to the first sample
// of that word heard on the sound server's default sink (the window opens and says the word),
// against espeak-ng started as a new process saying the same word, recorded the same way. Also
// how many times WordNet's files were opened over all the clicks (once is right). Needs an X
// display with XTEST and a PulseAudio null sink:
//   xvfb-run -a scripts/with-pulseaudio.sh build/bench/bench_wordhelp
// Option: --clicks N (default 12).
#include "HeardRecorder.h"
#include "common/ui/UserPrompts.h"
#include "engine/EspeakVoice.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/WordHelp.h"
#include "speech/ui/TTSSetup.h"
#include "words/WordMeanings.h"
#include "words/WordSpans.h"

#include <QApplication>
#include <QAudioDevice>
#include <QDir>
#include <QFile>
#include <QMediaDevices>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <dlfcn.h>

using namespace orasent;
using namespace orasent::bench;

namespace {
// A click of the left button where the pointer is moved to, through the X server (XTEST).
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
    // Returns the time the release (which picks the word) left for the X server.
    double click(const QPoint& global) {
        m_motion(m_display, -1, global.x(), global.y(), 0);
        m_flush(m_display);
        QTest::qWait(50);
        m_button(m_display, 1, 1, 0);
        m_flush(m_display);
        QTest::qWait(30);
        m_button(m_display, 1, 0, 0);
        const double at = nowMs();
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

bool waitForQuiet(Recorder& rec, int quietMs) {
    return waitFor(
        [&] {
            const qint64 n = rec.count();
            return rec.firstLoud(n - quietMs * kRate / 1000) < 0;
        },
        20000);
}

// Ms from `startMs` to the first loud sample after it, or -1.
double heardAfter(Recorder& rec, double startMs) {
    const qint64 from = rec.indexAt(startMs);
    if (!waitFor([&] { return rec.firstLoud(from) >= 0; }, 5000))
        return -1;
    return rec.timeOf(rec.firstLoud(from)) - startMs;
}

// The words of four letters or more in the box, each with the global point of its middle.
QList<std::pair<QString, QPoint>> wordsToClick(QPlainTextEdit* box) {
    QList<std::pair<QString, QPoint>> words;
    const QString text = box->toPlainText();
    for (auto span = nextWord(text, -1, true); span; span = nextWord(text, span->first, true)) {
        if (span->second < 4)
            continue;
        QTextCursor cursor(box->document());
        cursor.setPosition(span->first);
        const QRect start = box->cursorRect(cursor);
        cursor.setPosition(span->first + span->second);
        const QRect end = box->cursorRect(cursor);
        if (start.top() != end.top() || !box->viewport()->rect().contains(end.center()))
            continue;
        const QPoint middle((start.left() + end.left()) / 2, start.center().y());
        words.append({writtenWord(text, *span), box->viewport()->mapToGlobal(middle)});
    }
    return words;
}

bool prepareFolder(QTemporaryDir& folder) {
    const QString pool =
        QStringLiteral(ORASENT_SOURCE_DATA_DIR) + QStringLiteral("/data/pools/Tech Pool.txt");
    return folder.isValid() &&
           QFile::copy(pool, folder.filePath(QStringLiteral("Tech Pool.txt"))) &&
           QDir::setCurrent(folder.path());
}
} // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    const int at = app.arguments().indexOf(QStringLiteral("--clicks"));
    const int clicks = at > 0 ? app.arguments().value(at + 1).toInt() : 12;
    XPointer x;
    Recorder rec;
    QTemporaryDir folder;
    if (!x.open() || QMediaDevices::audioOutputs().isEmpty() || !rec.start() ||
        !prepareFolder(folder)) {
        std::printf("needs an X display with XTEST, a PulseAudio sink and parec\n");
        return 1;
    }
    std::vector<double> opened, process;
    QStringList said;
    int lost = 0;
    {
        TTSSetup tts([] { return std::make_unique<EspeakVoice>(); }, UserPrompts::standard());
        EnglishF reader(tts, UserPrompts::standard());
        reader.loadWindow();
        reader.show();
        if (!QTest::qWaitForWindowExposed(&reader))
            return 1;
        auto* box = reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
        reader.findChild<QPushButton*>(QStringLiteral("Command3"))->click(); // Talk: a sentence
        waitFor([&] { return tts.isIdle(); }, 20000);
        QList<std::pair<QString, QPoint>> words = wordsToClick(box);
        for (int i = 0; i <= clicks && !words.isEmpty(); ++i) {
            const auto [word, point] = words.at(i % words.size());
            waitForQuiet(rec, 300);
            const double heard = heardAfter(rec, x.click(point));
            if (heard < 0)
                ++lost;
            else if (i > 0) { // the first click maps the lexicon and starts WordNet's thread
                opened.push_back(heard);
                said << word;
            }
            waitFor([&] { return tts.isIdle(); }, 20000);
            if (reader.wordHelp())
                reader.wordHelp()->close();
            reader.activateWindow();
            QTest::qWait(200);
        }
    }
    for (int i = 0; i <= int(said.size()); ++i) {
        waitForQuiet(rec, 300);
        QProcess espeak;
        const double started = nowMs();
        espeak.start(QStringLiteral("espeak-ng"), {said.value(i % qMax(1, int(said.size())))});
        const double heard = heardAfter(rec, started);
        if (heard >= 0 && i > 0)
            process.push_back(heard);
        espeak.waitForFinished(5000);
    }
    const double help = median(opened), reference = median(process);
    std::printf("Word Help, click on a word to its first sample heard (without audio: %d)\n", lost);
    std::printf(
        "  1 click -> Word Help open, word heard  median %6.1f ms (%zu clicks; goal <= 150)\n",
        help, opened.size());
    std::printf("  2 espeak-ng as a new process           median %6.1f ms (%zu runs)\n", reference,
                process.size());
    std::printf("  ratio 1 / 2                                   %6.2f\n", help / reference);
    std::printf("  WordNet's files opened: %d time(s)\n", WordMeanings::timesOpened());
    QDir::setCurrent(QDir::tempPath());
    return 0;
}
