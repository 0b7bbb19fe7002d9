// Export on both cores: the same export with the default voice on one thread (the process held
// to one core, one synthesis lane) and on two (two cores, a lane per core), for each format, with
// WebVTT captions. Prints the times, their ratio (goal: 1.7 or more) and whether the two runs
// wrote the same bytes. Each figure is the best of ROUNDS runs, the two kinds taking turns.
//   build/bench/bench_export_lanes [KIB=64] [ROUNDS=3] [FORMAT ...=wav mp3]
// The text is the start of Moby-Dick from the shared corpus (../shared/corpus beside the source
// tree); without it the bench says so and stops.
#include "ProcessFigures.h"
#include "documents/DocumentLoader.h"
#include "engine/LocalVoices.h"
#include "export/AudioExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

using namespace orasent;

namespace {

// Holds every thread of the process, and those it starts later, to the first `cores` cores it
// may use; false when it has fewer.
bool holdToCores(int cores) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0)
        return false;
    static cpu_set_t everything = allowed; // what the process was given at the start
    cpu_set_t chosen;
    CPU_ZERO(&chosen);
    int count = 0;
    for (int cpu = 0; cpu < CPU_SETSIZE && count < cores; ++cpu)
        if (CPU_ISSET(cpu, &everything)) {
            CPU_SET(cpu, &chosen);
            ++count;
        }
    if (count < cores)
        return false;
    for (const QString& task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs))
        if (const pid_t tid = pid_t(task.toInt()); tid > 0)
            sched_setaffinity(tid, sizeof chosen, &chosen);
    return true;
}

// The corpus beside the source tree, or beside a folder it lies in (a worktree's).
QString corpusText(qint64 kib) {
    QDir dir(QStringLiteral(ORASENT_SOURCE_ROOT));
    QString book;
    for (int up = 0; up < 3 && book.isEmpty(); ++up, dir.cdUp()) {
        const QString candidate =
            dir.filePath(QStringLiteral("../shared/corpus/epub3-moby-dick-full-novel.epub"));
        if (QFileInfo::exists(candidate))
            book = candidate;
    }
    if (book.isEmpty())
        return {};
    const QString text = loadDocument(book).bookText;
    const qsizetype end = text.indexOf(QStringLiteral(". "), kib * 1024);
    return text.left(end < 0 ? text.size() : end + 1);
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Run {
    double seconds = 1e9; // the best
    double cpuSeconds = 0;
    QByteArray audio;
    QByteArray captions;
    double audioHours = 0;
};

// One export on `cores` cores with `threads` lanes; false when it failed.
bool exportOnce(ExportRequest request, int cores, int threads, Run* run) {
    if (!holdToCores(cores))
        return false;
    request.threads = threads;
    const double cpu = bench::processCpuMs();
    QElapsedTimer clock;
    clock.start();
    const ExportResult result = AudioExport(request).run();
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (result.status != ExportResult::Status::Done) {
        std::printf("export failed: %s\n", qPrintable(result.error));
        return false;
    }
    if (seconds < run->seconds) {
        run->seconds = seconds;
        run->cpuSeconds = (bench::processCpuMs() - cpu) / 1000;
    }
    run->audio = bytesOf(result.audioPath);
    run->captions = bytesOf(result.captionPath);
    run->audioHours = result.audioSeconds() / 3600;
    QFile::remove(result.audioPath);
    QFile::remove(result.captionPath);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    const QStringList args = app.arguments();
    const qint64 kib = args.size() > 1 ? args[1].toLongLong() : 64;
    const int rounds = args.size() > 2 ? std::max(1, args[2].toInt()) : 3;
    QStringList formats = args.mid(3);
    if (formats.isEmpty())
        formats = QStringList{"wav", "mp3"};
    ExportRequest base;
    base.text = corpusText(kib);
    if (base.text.isEmpty()) {
        std::printf("skipped: the shared corpus (../shared/corpus) is not there\n");
        return 0;
    }
    base.voiceIdentifier = clearestVoiceFor(QStringLiteral("en"));
    if (base.voiceIdentifier.isEmpty()) {
        std::printf("skipped: no Flite voice is built in\n");
        return 0;
    }
    base.captions = CaptionFormat::Vtt;
    if (!holdToCores(2)) {
        std::printf("skipped: this process may use fewer than two cores\n");
        return 0;
    }
    std::printf("text: %lld KiB of Moby-Dick, %lld characters; voice %s; best of %d\n",
                qlonglong(kib), qlonglong(base.text.size()), qPrintable(base.voiceIdentifier),
                rounds);
    std::printf("%-5s %8s %9s %8s %9s %7s %9s %6s\n", "", "audio h", "1 thread", "cpu s",
                "2 threads", "cpu s", "ratio", "same");
    QTemporaryDir dir;
    for (const QString& name : formats) {
        ExportRequest request = base;
        request.format = audioFormatFromName(name).value_or(AudioFileFormat::Wav);
        request.outputPath = dir.filePath(QStringLiteral("book.") + name);
        Run one, two;
        for (int round = 0; round < rounds; ++round)
            if (!exportOnce(request, 1, 1, &one) || !exportOnce(request, 2, 0, &two))
                return 1;
        const bool same = one.audio == two.audio && one.captions == two.captions;
        std::printf("%-5s %8.2f %8.2fs %8.2f %8.2fs %7.2f %8.2fx %6s\n", qPrintable(name),
                    one.audioHours, one.seconds, one.cpuSeconds, two.seconds, two.cpuSeconds,
                    one.seconds / two.seconds, same ? "yes" : "NO");
    }
    std::printf("ratio: 1-thread time / 2-thread time (goal 1.7 or more); same: audio and captions "
                "byte for byte\n");
    return 0;
}
