// PDF figures on a generated 300-page PDF (a running header, a heading now and then, a few
// paragraphs and a page number per page): extraction time against `pdftotext` on the same file
// as a ratio (goal: at most 1.5), and the peak memory of each. Prints the figures; asserts
// nothing.
#include "ProcessFigures.h"
#include "documents/PdfText.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>

using namespace orasent;
using namespace orasent::bench;

namespace {

constexpr int kPages = 300;
constexpr int kRuns = 3;

const char* const kWords[] = {"reading", "aloud", "helps", "people",   "follow", "a",      "text",
                              "closely", "and",   "each",  "sentence", "is",     "shown",  "on",
                              "its",     "own",   "while", "the",      "voice",  "speaks", "it"};

QString paragraph(int seed) {
    QString text;
    for (int i = 0; i < 60 + seed % 40; ++i) {
        text += QString::fromLatin1(kWords[(seed * 7 + i * 13) % 21]);
        text += (i % 11 == 10) ? QStringLiteral(". ") : QStringLiteral(" ");
    }
    return text.trimmed() + QLatin1Char('.');
}

int makePdf(const QString& path) {
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont font(QStringLiteral("DejaVu Sans"));
    for (int page = 0; page < kPages; ++page) {
        if (page > 0)
            writer.newPage();
        font.setPixelSize(9);
        painter.setFont(font);
        painter.drawText(QPointF(60, 40),
                         QStringLiteral("Orasent benchmark, chapter %1").arg(page / 10 + 1));
        painter.drawText(QPointF(280, 810), QString::number(page + 1));
        qreal y = 70;
        if (page % 10 == 0) {
            font.setPixelSize(18);
            painter.setFont(font);
            painter.drawText(QPointF(60, y + 18), QStringLiteral("Chapter %1").arg(page / 10 + 1));
            y += 40;
        }
        font.setPixelSize(11);
        painter.setFont(font);
        for (int p = 0; p < 5 && y < 700; ++p) {
            QRectF drawn;
            painter.drawText(QRectF(60, y, 450, 800 - y), Qt::TextWordWrap, paragraph(page * 5 + p),
                             &drawn);
            y = drawn.bottom() + 10;
        }
    }
    return painter.end() ? 0 : 1;
}

struct ChildRun {
    double ms = -1;
    long maxRssKiB = -1;
    double cpuMs = -1;
};

// One run of a program under the peak_memory launcher beside this bench: its own peak memory
// and wall time.
ChildRun measured(const QStringList& args) {
    const QString launcher =
        QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath() +
        QStringLiteral("/peak_memory");
    QByteArray command = "'" + launcher.toLocal8Bit() + "'";
    for (const QString& a : args)
        command += " '" + a.toLocal8Bit() + "'";
    ChildRun run;
    if (FILE* pipe = popen(command.constData(), "r")) {
        if (std::fscanf(pipe, "%ld %lf %lf", &run.maxRssKiB, &run.ms, &run.cpuMs) != 3)
            run = {};
        if (pclose(pipe) != 0)
            run = {};
    }
    return run;
}

// The fastest of a few runs, with the peak memory of that run.
ChildRun bestOf(const QStringList& args) {
    ChildRun best;
    for (int i = 0; i < kRuns; ++i) {
        const ChildRun run = measured(args);
        if (run.ms < 0)
            return {};
        if (best.ms < 0 || run.ms < best.ms)
            best = run;
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    const QByteArray mode = argc == 3 ? QByteArray(argv[1]) : QByteArray();
    if (mode == "--make") {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QGuiApplication app(argc, argv);
        return makePdf(QString::fromLocal8Bit(argv[2]));
    }
    if (mode == "--idle") // the same program reading the file only: its share of the peak
        return QFile(QString::fromLocal8Bit(argv[2])).open(QIODevice::ReadOnly) ? 0 : 1;
    if (mode == "--extract") { // a process that only extracts, for its peak memory
        QFile file(QString::fromLocal8Bit(argv[2]));
        return file.open(QIODevice::ReadOnly) &&
                       extractPdfParagraphs(file.readAll()).status == PdfExtraction::Status::Ok
                   ? 0
                   : 1;
    }
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.pdf"));
    if (measured({self, QStringLiteral("--make"), path}).ms < 0)
        return std::fprintf(stderr, "could not make the PDF\n"), 1;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray data = file.readAll();

    double ownMs = 1e300;
    double ownCpuMs = 1e300;
    int paragraphs = 0;
    for (int i = 0; i < kRuns; ++i) {
        const double cpuBefore = processCpuMs();
        QElapsedTimer timer;
        timer.start();
        const PdfExtraction pdf = extractPdfParagraphs(data);
        ownMs = std::min(ownMs, timer.nsecsElapsed() / 1e6);
        ownCpuMs = std::min(ownCpuMs, processCpuMs() - cpuBefore);
        paragraphs = int(pdf.paragraphs.size());
    }
    const ChildRun reference =
        bestOf({QStringLiteral("pdftotext"), QStringLiteral("-q"), path, QStringLiteral("-")});
    const ChildRun own = bestOf({self, QStringLiteral("--extract"), path});
    const ChildRun idle = measured({self, QStringLiteral("--idle"), path});
    if (reference.ms < 0 || own.ms < 0)
        return std::fprintf(stderr, "pdftotext (poppler-utils) or the extraction failed\n"), 1;

    std::printf("PDF: %d pages, %lld KB, %d paragraphs\n", kPages, (long long)(data.size() / 1024),
                paragraphs);
    std::printf("extraction in this process: %.1f ms (CPU %.1f ms); pdftotext: %.1f ms (CPU %.1f "
                "ms); ratio %.2f, CPU ratio %.2f (goal <= 1.5)\n",
                ownMs, ownCpuMs, reference.ms, reference.cpuMs, ownMs / reference.ms,
                ownCpuMs / reference.cpuMs);
    std::printf("as programs: extraction %.1f ms, pdftotext %.1f ms, ratio %.2f\n", own.ms,
                reference.ms, own.ms / reference.ms);
    std::printf("peak memory: extraction %.1f MB (%.1f MB of it the program without extracting); "
                "pdftotext %.1f MB\n",
                own.maxRssKiB / 1024.0, idle.maxRssKiB / 1024.0, reference.maxRssKiB / 1024.0);
    return 0;
}
