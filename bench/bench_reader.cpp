// Reader figures on a generated 100 MB text: load time against `wc -l`, peak memory against
// the file size, sentence steps at the start and at the end, the spread of 25 bookmarks, and
// memory over 10,000 Talk presses. Prints the figures; asserts nothing.
#include "ProcessFigures.h"
#include "reader/ReaderModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

#include <sys/resource.h>

using namespace orasent;
using namespace orasent::bench;

namespace {

class QuietPort : public ReaderPort {
public:
    void StopVoice() override {}
    void handOver(const QString& text) override { spoken = text; }
    bool speechIdle() const override { return true; }
    void setSentenceText(const QString& text) override { text1 = text; }
    void focusSentenceBox() override {}
    void showPathBox(const QString&) override {}
    void showMessage(const QString& text) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    }
    QString text1;
    QString spoken;
};

struct Timing {
    double wallMs = 1e300;
    double cpuMs = 1e300;
};

// Best wall-clock and best CPU time of several runs; `cpu` reads the clock that the work uses.
Timing best(int runs, const std::function<void()>& work, double (*cpu)() = processCpuMs) {
    Timing result;
    for (int i = 0; i < runs; ++i) {
        const double cpuBefore = cpu();
        QElapsedTimer timer;
        timer.start();
        work();
        result.wallMs = std::min(result.wallMs, timer.nsecsElapsed() / 1e6);
        result.cpuMs = std::min(result.cpuMs, cpu() - cpuBefore);
    }
    return result;
}

double bestMs(int runs, const std::function<void()>& work) {
    return best(runs, work).wallMs;
}

// Sentences of 6 to 17 words, lines of about 75 bytes ending in CR LF, and now and then a
// question with its answer line.
void generateText(const QString& path, qint64 size) {
    static const char* words[] = {"reading", "the", "river", "quietly", "moves", "under", "a",
                                  "bridge",  "of",  "old",   "stone",   "while", "birds", "sing"};
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create the text");
    QByteArray block;
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    qint64 written = 0;
    int line = 0;
    while (written < size) {
        block.clear();
        while (block.size() < (1 << 20)) {
            if (++line % 1000 == 0) {
                block += "Which river is the longest? \r\nThe answer is the Nile. \r\n";
                continue;
            }
            QByteArray text;
            while (text.size() < 75) {
                const int count = 6 + int(next() % 12);
                for (int w = 0; w < count; ++w) {
                    text += words[next() % 14];
                    text += w + 1 == count ? ". " : " ";
                }
            }
            block += text + "\r\n";
        }
        file.write(block);
        written += block.size();
    }
}

// In a fresh process: peak memory and time of the first load, as at start-up.
int loadOnly(const QString& path) {
    QuietPort port;
    ReaderModel model(port);
    const long before = statusKiB("VmHWM");
    model.setFileName(path);
    const double cpuBefore = processCpuMs();
    QElapsedTimer timer;
    timer.start();
    model.OpenfF();
    const double wallMs = timer.nsecsElapsed() / 1e6;
    const double cpuMs = processCpuMs() - cpuBefore;
    std::printf("%ld %ld %lld %.1f %.1f\n", before, statusKiB("VmHWM"),
                qlonglong(model.bookText().size()), wallMs, cpuMs);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && QByteArray(argv[1]) == "--load-only")
        return loadOnly(QString::fromLocal8Bit(argv[2]));

    const qint64 size = qint64(100) << 20;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    generateText(path, size);
    const qint64 fileSize = QFile(path).size();
    std::printf("text file: %.1f MB\n", fileSize / 1048576.0);

    // Load time, both warmed by a first read so both see the page cache. Wall-clock figures
    // suffer when other work shares the machine; CPU times show the work itself.
    auto runWc = [&] {
        QProcess wc;
        wc.start(QStringLiteral("wc"), {QStringLiteral("-l"), path});
        wc.waitForFinished(-1);
    };
    runWc();
    const Timing wc = best(5, runWc, childrenCpuMs);
    std::printf("wc -l: %.1f ms wall, %.1f ms CPU\n", wc.wallMs, wc.cpuMs);

    // First load and peak memory in a fresh process.
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--load-only"), path});
    child.waitForFinished(-1);
    const QList<QByteArray> fields = child.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() == 5) {
        const double before = fields[0].toLong() / 1024.0;
        const double peak = fields[1].toLong() / 1024.0;
        const double fileMb = fileSize / 1048576.0;
        const double wallMs = fields[3].toDouble();
        const double cpuMs = fields[4].toDouble();
        std::printf("first load (OpenfF, fresh process): %.1f ms wall, %.1f ms CPU; ratio to wc -l "
                    "%.2f wall, %.2f CPU (goal 3 or less); %s characters\n",
                    wallMs, cpuMs, wallMs / wc.wallMs, cpuMs / wc.cpuMs, fields[2].constData());
        std::printf("peak RSS: %.1f MB before loading, %.1f MB after: %.2f x file size "
                    "(%.2f x counting only the load) (goal 2.5 or less)\n",
                    before, peak, peak / fileMb, (peak - before) / fileMb);
    }

    QuietPort port;
    ReaderModel model(port);
    model.setFileName(path);
    model.OpenfF();
    const Timing reload = best(5, [&] { model.OpenfF(); });
    std::printf("reload of the same file: %.1f ms wall, %.1f ms CPU; ratio to wc -l %.2f wall, "
                "%.2f CPU\n",
                reload.wallMs, reload.cpuMs, reload.wallMs / wc.wallMs, reload.cpuMs / wc.cpuMs);

    // Sentence steps: at the start and near the end cost the same.
    const int steps = 1000;
    const double length = double(model.bookText().size());
    auto stepsFrom = [&](double position) {
        return bestMs(3,
                      [&] {
                          model.setNextPos(position);
                          for (int i = 0; i < steps; ++i)
                              model.SayNextSentence();
                      }) *
               1000.0 / steps;
    };
    std::printf("sentence step: %.2f us at the start, %.2f us near the end\n", stepsFrom(0),
                stepsFrom(length - 200000));

    const double spreadMs = bestMs(5, [&] { model.SpreadBookmarks(); });
    std::printf("Set 25 Bookmarks: %.3f ms (goal 50 or less)\n", spreadMs);

    // The last sentence of the text, then a right-click replay from there.
    model.setNextPos(length - 400);
    while (model.SayNextSentence()) {
    }
    const double lastNext = model.nextPos();
    const double lastLast = model.lastPos();
    const double endStepMs = bestMs(5, [&] {
        model.setNextPos(lastLast);
        model.talk(1);
    });
    const double replayMs = bestMs(5, [&] {
        model.setLastPos(lastLast);
        model.setNextPos(lastNext);
        model.talk(2);
    });
    std::printf("at the end: step %.4f ms, right-click replay %.4f ms (goal 1 or less each)\n",
                endStepMs, replayMs);

    // Memory over 10,000 Talk presses.
    model.setNextPos(0);
    for (int i = 0; i < 100; ++i)
        model.talk(1);
    const long rssBefore = statusKiB("VmRSS");
    for (int i = 0; i < 10000; ++i)
        model.talk(i % 3 == 2 ? 2 : 1);
    const long rssAfter = statusKiB("VmRSS");
    std::printf("RSS over 10,000 Talk presses: %.1f MB before, %.1f MB after (%+ld kB)\n",
                rssBefore / 1024.0, rssAfter / 1024.0, rssAfter - rssBefore);
    return 0;
}
