// Text recognition figures: a 10-page rendered scan (one multi-page TIFF) read by Orasent, two
// pages at a time, against the `tesseract` program run once per page in sequence on the same
// pages, with the word accuracy of both; and the time from opening a one-page photo-like JPEG
// to its first sentence. Prints the figures; asserts nothing.
#include "ProcessFigures.h"
#include "RenderedPages.h"
#include "reader/RecognitionPages.h"
#include "recognition/PictureReading.h"
#include "recognition/RecognitionCache.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <leptonica/allheaders.h>

#include <cstdio>
#include <ctime>

#include <sys/resource.h>

using namespace orasent;
using namespace orasent::bench;
using namespace orasent::test;

namespace {
const QStringList kWords = {"reading", "garden", "window",  "teacher", "morning", "letter",
                            "market",  "river",  "station", "holiday", "kitchen", "winter",
                            "family",  "number", "doctor",  "animal",  "bridge",  "summer",
                            "picture", "school", "friend",  "answer",  "minute",  "people"};

// Sentences of five to nine words from a fixed list, the same on every run.
QStringList paragraphsFor(int page) {
    QRandomGenerator random(quint32(1000 + page));
    QStringList paragraphs;
    for (int p = 0; p < 2; ++p) {
        QStringList sentences;
        for (int s = 0; s < 3; ++s) {
            QStringList words;
            const int count = 5 + int(random.bounded(5));
            for (int w = 0; w < count; ++w)
                words << kWords[int(random.bounded(kWords.size()))];
            words[0][0] = words[0][0].toUpper();
            sentences << words.join(' ') + '.';
        }
        paragraphs << sentences.join(' ');
    }
    return paragraphs;
}

QString writePng(const QTemporaryDir& dir, const QImage& page, int n) {
    const QString path = dir.filePath(QStringLiteral("page%1.png").arg(n));
    QImageWriter(path, "png").write(page);
    return path;
}

QString writeTiff(const QTemporaryDir& dir, const QStringList& pngs) {
    PIXA* pixa = pixaCreate(int(pngs.size()));
    for (const QString& png : pngs)
        pixaAddPix(pixa, pixRead(png.toLocal8Bit().constData()), L_INSERT);
    const QString path = dir.filePath(QStringLiteral("scan.tiff"));
    pixaWriteMultipageTiff(path.toLocal8Bit().constData(), pixa);
    pixaDestroy(&pixa);
    return path;
}

double loadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// The tesseract program on each page in turn; returns the milliseconds and the text.
double runProgram(const QStringList& pngs, bool oneThread, QString* text) {
    QElapsedTimer timer;
    timer.start();
    for (const QString& png : pngs) {
        QProcess tesseract;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (oneThread)
            env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
        tesseract.setProcessEnvironment(env);
        tesseract.start(QStringLiteral("tesseract"), {png, QStringLiteral("stdout")});
        tesseract.waitForFinished(-1);
        *text += QString::fromUtf8(tesseract.readAllStandardOutput()) + ' ';
    }
    return double(timer.elapsed());
}

// A photo of a handout: a grey, unevenly lit page, a little turned, with noise, as JPEG.
QString writePhoto(const QTemporaryDir& dir, const QStringList& paragraphs) {
    PageStyle style;
    style.width = 2400;
    style.points = 13;
    QImage page = renderPage(paragraphs, style).convertToFormat(QImage::Format_RGB32);
    QImage photo(2400, 1800, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient light(0, 0, 2400, 1800);
    light.setColorAt(0, QColor(205, 200, 190));
    light.setColorAt(1, QColor(150, 145, 135));
    painter.fillRect(photo.rect(), light);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.translate(60, 80);
    painter.rotate(1.5);
    painter.drawImage(0, 0, page);
    painter.end();
    QRandomGenerator random(7);
    for (int i = 0; i < 400000; ++i) {
        const int x = int(random.bounded(photo.width())), y = int(random.bounded(photo.height()));
        const int shift = int(random.bounded(60)) - 30;
        const QColor c = photo.pixelColor(x, y);
        photo.setPixelColor(x, y,
                            QColor(qBound(0, c.red() + shift, 255),
                                   qBound(0, c.green() + shift, 255),
                                   qBound(0, c.blue() + shift, 255)));
    }
    const QString path = dir.filePath(QStringLiteral("photo.jpg"));
    QImageWriter writer(path, "jpeg");
    writer.setQuality(85);
    writer.write(photo);
    return path;
}
} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTemporaryDir dir, cache;
    RecognitionCache::setFolderForTesting(cache.path()); // empty: every page is recognised

    const QStringList photoText = paragraphsFor(99);
    const QString photo = writePhoto(dir, photoText);
    QElapsedTimer timer;
    timer.start();
    const DocumentLoad photoLoad = loadImageDocument(photo);
    const int firstEnd = int(photoLoad.bookText.indexOf(QLatin1String(". ")));
    const double firstSentenceMs = double(timer.elapsed());
    std::printf("photo 2400x1800 JPEG: first sentence after %.0f ms (engine start included), "
                "word accuracy %.1f %%: \"%s\"\n",
                firstSentenceMs, 100 * wordAccuracy(photoText.join(' '), photoLoad.bookText),
                qPrintable(photoLoad.bookText.left(firstEnd + 1)));

    QStringList pngs, truth;
    for (int n = 0; n < 10; ++n) {
        const QStringList paragraphs = paragraphsFor(n);
        truth << paragraphs.join(' ');
        pngs << writePng(dir, renderPage(paragraphs), n);
    }
    const QString tiff = writeTiff(dir, pngs);
    const double loadBefore = loadAverage();
    const double cpuBefore = processCpuMs();
    timer.restart();
    const PictureReading ours = recognizeImageFile(tiff, RecognitionLanguage{});
    const double oursMs = double(timer.elapsed());
    const double oursCpu = processCpuMs() - cpuBefore;
    QString programText, programOneThreadText;
    double childrenBefore = childrenCpuMs();
    const double programMs = runProgram(pngs, false, &programText);
    const double programCpu = childrenCpuMs() - childrenBefore;
    childrenBefore = childrenCpuMs();
    const double programOneThreadMs = runProgram(pngs, true, &programOneThreadText);
    const double programOneThreadCpu = childrenCpuMs() - childrenBefore;
    const QString expected = truth.join(' ');
    std::printf("10 pages of 1240 px at 300 dpi (load average %.1f on %d cores; wall, CPU):\n",
                loadBefore, QThread::idealThreadCount());
    std::printf("  orasent, two engines          %6.0f ms %6.0f ms CPU, word accuracy %.1f %%\n",
                oursMs, oursCpu, 100 * wordAccuracy(expected, ours.paragraphs.join(' ')));
    std::printf("  tesseract per page            %6.0f ms %6.0f ms CPU, word accuracy %.1f %%, "
                "ratio %.2f wall %.2f CPU\n",
                programMs, programCpu, 100 * wordAccuracy(expected, programText),
                oursMs / programMs, oursCpu / programCpu);
    std::printf("  tesseract, OMP_THREAD_LIMIT=1 %6.0f ms %6.0f ms CPU, word accuracy %.1f %%, "
                "ratio %.2f wall %.2f CPU\n",
                programOneThreadMs, programOneThreadCpu,
                100 * wordAccuracy(expected, programOneThreadText), oursMs / programOneThreadMs,
                oursCpu / programOneThreadCpu);
    return 0;
}
