// Loading figures. (1) The time from choosing a document in the reader window to its first
// sentence shown, for PDFs with a text layer of 10, 100 and 1,000 pages and scanned PDFs of 1,
// 20 and 300 pages, made at run time from the shared Free Culture book (pdftoppm, qpdf); the
// curve and its largest-to-smallest ratio (goal: at most 1.5 for each kind). (2) The whole
// text of the Free Culture book as `orasent --print-text` reads it, against `pdftotext` on the
// same file, in one run (goal: at most 1.2). Prints the figures; asserts nothing. Without the
// shared corpus (../shared/corpus beside the source folder) it says so and stops.
//   bench_loading [--scanned-pages N]   (N: the largest scanned case, 300 unless given)
//   bench_loading --window FILE...      (the first sentence of each file, once)
//   bench_loading --first FILE          (the first part and the whole load, without a window)
//   bench_loading --extract FILE / --text-layer FILE / --print FILE   (for a profiler)
#include "FakePrompts.h"
#include "ProcessFigures.h"
#include "documents/DocumentLoader.h"
#include "documents/PdfText.h"
#include "reader/RecognitionPages.h"
#include "reader/ui/EnglishF.h"
#include "recognition/RecognitionCache.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace orasent;
using namespace orasent::bench;

namespace {

const QString kBook = QStringLiteral("pdf-freeculture-book-printer-slugs.pdf");

QString corpusFolder() {
    return QDir::cleanPath(QStringLiteral(ORASENT_SOURCE_ROOT "/../shared/corpus"));
}

// A speech window that takes every text at once and is always idle.
class QuietSpeechWindow : public SpeechWindow {
public:
    void handOver(const QString&) override {}
    bool isIdle() const override { return true; }
    void StopVoice() override {}
    SpeakingCore& speakingCore() override { return m_core; }
    void loadWindow() override {}
    void showWindow() override {}
    void unloadWindow() override {}
    void setReaderSentenceBox(QPlainTextEdit*) override {}
    int stepRate(int) override { return 0; }

private:
    SpeakingCore m_core;
};

bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// The book's pages after its cover (a picture, read by recognition first), repeated to `pages`
// (qpdf).
bool makeTextPdf(const QString& book, int pages, const QString& out) {
    QStringList args = {QStringLiteral("--empty"), QStringLiteral("--pages")};
    for (int left = pages; left > 0; left -= 351)
        args << book << QStringLiteral("2-%1").arg(1 + std::min(left, 351));
    args << QStringLiteral("--") << out;
    return run(QStringLiteral("qpdf"), args);
}

// The book's body pages (from page 11) as pictures only, 150 dpi grey, the first `distinct` of
// them repeated to `pages`: a scanned PDF without a text layer.
bool makeScannedPdf(const QString& book, const QTemporaryDir& dir, int distinct, int pages,
                    const QString& out) {
    const QString prefix = dir.filePath(QStringLiteral("scan"));
    QStringList images =
        QDir(dir.path()).entryList({QStringLiteral("scan-*.png")}, QDir::Files, QDir::Name);
    if (images.size() < distinct) {
        if (!run(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-gray"),
                  QStringLiteral("-f"), QStringLiteral("11"), QStringLiteral("-l"),
                  QString::number(10 + distinct), QStringLiteral("-png"), book, prefix}))
            return false;
        images =
            QDir(dir.path()).entryList({QStringLiteral("scan-*.png")}, QDir::Files, QDir::Name);
    }
    if (images.size() < distinct)
        return false;
    QPdfWriter writer(out);
    writer.setResolution(150);
    writer.setPageSize(QPageSize(QSizeF(489.6, 734.4), QPageSize::Point));
    writer.setPageMargins(QMarginsF());
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        const QImage image(dir.filePath(images[page % distinct]));
        painter.drawImage(QRect(0, 0, writer.width(), writer.height()), image);
    }
    return painter.end();
}

struct FirstSentence {
    double ms = -1;
    QString text;
};

// Opens `path` in a fresh reader window (Talk already pressed, as a user who waits) and times
// the wait until the sentence box shows a sentence of it.
FirstSentence openOnce(const QString& path) {
    QuietSpeechWindow tts;
    test::FakePrompts prompts;
    EnglishF reader(tts, prompts);
    reader.model().setFileName(QString());
    reader.loadWindow();
    auto* text1 = reader.findChild<QPlainTextEdit*>(QStringLiteral("Text1"));
    const QString instruction = text1->toPlainText();
    FirstSentence result;
    QElapsedTimer timer;
    timer.start();
    reader.model().openChosenFile(path);
    reader.model().talk(1);
    while (reader.model().state() == ReaderState::Loading &&
           (text1->toPlainText() == instruction || text1->toPlainText().startsWith("Click")))
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    result.ms = timer.nsecsElapsed() / 1e6;
    result.text = text1->toPlainText().left(60).simplified();
    reader.model().stopLoading();
    return result;
}

// The best of three openings, each with the recognition cache empty.
FirstSentence timeToFirstSentence(const QString& path) {
    FirstSentence best;
    for (int i = 0; i < 3; ++i) {
        QTemporaryDir cache;
        RecognitionCache::setFolderForTesting(cache.path());
        const FirstSentence one = openOnce(path);
        if (best.ms < 0 || one.ms < best.ms)
            best = one;
    }
    return best;
}

// Each case with the start of its first sentence, so that a message never passes for one.
void printCurve(const char* kind, const QList<int>& pages, const QList<FirstSentence>& first) {
    double low = 1e300, high = 0;
    for (int i = 0; i < pages.size(); ++i) {
        std::printf("  %s, %4d pages: %8.1f ms to the first sentence \"%s\"\n", kind, pages[i],
                    first[i].ms, qPrintable(first[i].text.left(30)));
        low = std::min(low, first[i].ms);
        high = std::max(high, first[i].ms);
    }
    std::printf("  %s: largest/smallest %.2f (goal <= 1.5)\n", kind, high / low);
}

// --print-text's work on the book, in this process, against pdftotext as a program: the best
// of three of each, taken in turns.
void compareWithPdftotext(const QString& book) {
    double own = 1e300, reference = 1e300, ownCpu = 1e300, referenceCpu = 1e300;
    qsizetype characters = 0;
    for (int i = 0; i < 3; ++i) {
        QElapsedTimer timer;
        const double cpuBefore = processCpuMs();
        timer.start();
        const DocumentLoad load = loadDocument(book);
        own = std::min(own, timer.nsecsElapsed() / 1e6);
        ownCpu = std::min(ownCpu, processCpuMs() - cpuBefore);
        characters = load.bookText.size();
        const double childBefore = childrenCpuMs();
        timer.restart();
        run(QStringLiteral("pdftotext"), {QStringLiteral("-q"), book, QStringLiteral("-")});
        reference = std::min(reference, timer.nsecsElapsed() / 1e6);
        referenceCpu = std::min(referenceCpu, childrenCpuMs() - childBefore);
    }
    std::printf("Free Culture (352 pages), %lld characters:\n", (long long)characters);
    std::printf("  Orasent %.1f ms (CPU %.1f ms), pdftotext %.1f ms (CPU %.1f ms): ratio %.2f "
                "(goal <= 1.2), CPU ratio %.2f\n",
                own, ownCpu, reference, referenceCpu, own / reference, ownCpu / referenceCpu);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    useRecognitionForPages(); // scanned pages are read as the program reads them
    if (argc == 3 && QByteArray(argv[1]) == "--extract") // one extraction, for a profiler
        return loadDocument(QString::fromLocal8Bit(argv[2])).status == DocumentLoad::Status::Loaded
                   ? 0
                   : 1;
    if (argc == 3 && QByteArray(argv[1]) == "--print") { // the text, for a comparison
        std::fputs(loadDocument(QString::fromLocal8Bit(argv[2])).bookText.toUtf8().constData(),
                   stdout);
        return 0;
    }
    if (argc >= 3 && QByteArray(argv[1]) == "--window") {
        for (int i = 2; i < argc; ++i) {
            const FirstSentence one = openOnce(QString::fromLocal8Bit(argv[i]));
            std::printf("window: %.1f ms: %s\n", one.ms, qPrintable(one.text));
        }
        return 0;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--first") { // the first part, without a window
        QElapsedTimer timer;
        timer.start();
        double first = -1;
        LoadProgress progress;
        progress.arrived = [&](const QVector<Paragraph>&) {
            if (first < 0)
                first = timer.nsecsElapsed() / 1e6;
        };
        loadDocument(QString::fromLocal8Bit(argv[2]), progress);
        std::printf("first part %.1f ms, all %.1f ms\n", first, timer.nsecsElapsed() / 1e6);
        return 0;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--text-layer") { // without recognition
        QFile file(QString::fromLocal8Bit(argv[2]));
        return file.open(QIODevice::ReadOnly) &&
                       extractPdfParagraphs(file.readAll()).status == PdfExtraction::Status::Ok
                   ? 0
                   : 1;
    }
    const int largestScan = argc == 3 && QByteArray(argv[1]) == "--scanned-pages"
                                ? std::max(2, QByteArray(argv[2]).toInt())
                                : 300;
    const QString book = QDir(corpusFolder()).filePath(kBook);
    if (!QFileInfo::exists(book)) {
        std::printf("The shared corpus (%s) is absent: nothing to measure.\n",
                    qPrintable(corpusFolder()));
        return 0;
    }
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());

    std::printf("Choosing a document to its first sentence shown:\n");
    const FirstSentence withCover = timeToFirstSentence(book);
    std::printf("  the whole book, its cover page recognised first: %.1f ms \"%s\"\n", withCover.ms,
                qPrintable(withCover.text.left(30)));
    QList<int> textPages = {10, 100, 1000};
    QList<FirstSentence> textFirst;
    for (int pages : textPages) {
        const QString path = dir.filePath(QStringLiteral("text%1.pdf").arg(pages));
        if (!makeTextPdf(book, pages, path))
            return std::fprintf(stderr, "qpdf could not make %s\n", qPrintable(path)), 1;
        textFirst << timeToFirstSentence(path);
    }
    printCurve("text layer", textPages, textFirst);

    QList<int> scanPages = {1, 20, largestScan};
    QList<FirstSentence> scanFirst;
    for (int pages : scanPages) {
        const QString path = dir.filePath(QStringLiteral("scan%1.pdf").arg(pages));
        if (!makeScannedPdf(book, dir, std::min(pages, 20), pages, path))
            return std::fprintf(stderr, "could not make %s\n", qPrintable(path)), 1;
        scanFirst << timeToFirstSentence(path);
    }
    printCurve("scanned", scanPages, scanFirst);

    QTemporaryDir cache; // the cover's recognition is in the cache after the first run
    RecognitionCache::setFolderForTesting(cache.path());
    compareWithPdftotext(book);
    return 0;
}
