// A novel-sized e-book (1 MB of text in 40 chapters) from loadDocument to the first sentence cut,
// against the same text as a .txt file through loadBookText; peak memory of each in a fresh
// process. Prints the figures; asserts nothing.
#include "../tests/support/SilentReaderPort.h"
#include "../tests/support/ZipBuilder.h"
#include "ProcessFigures.h"
#include "documents/BookTextLoader.h"
#include "documents/DocumentLoader.h"
#include "reader/ReaderModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace orasent;
using namespace orasent::bench;

namespace {

// 40 chapters of paragraphs, 1 MB of text in all: the book's XHTML chapters and the same
// paragraphs as lines of a text file.
void generateBook(const QString& epubPath, const QString& txtPath) {
    static const char* words[] = {"reading", "the", "river", "quietly", "moves", "under", "a",
                                  "bridge",  "of",  "old",   "stone",   "while", "birds", "sing"};
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    test::ZipEntries entries{{"mimetype", "application/epub+zip"},
                             {"META-INF/container.xml",
                              "<container><rootfiles><rootfile full-path=\"OPS/book.opf\"/>"
                              "</rootfiles></container>"}};
    QByteArray manifest, spine, text;
    for (int c = 0; c < 40; ++c) {
        QByteArray chapter = "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
                             "<head><title>Chapter</title></head><body><h1>Chapter " +
                             QByteArray::number(c + 1) + "</h1>";
        text += "Chapter " + QByteArray::number(c + 1) + ".\r\n";
        for (qsizetype start = text.size(); text.size() - start < 26000;) {
            QByteArray paragraph;
            while (paragraph.size() < 400) {
                const int count = 6 + int(next() % 12);
                for (int w = 0; w < count; ++w)
                    paragraph += QByteArray(words[next() % 14]) + (w + 1 == count ? ". " : " ");
            }
            chapter += "<p>" + paragraph.trimmed() + "</p>\n";
            text += paragraph + "\r\n";
        }
        chapter += "</body></html>";
        const QByteArray name = "c" + QByteArray::number(c) + ".xhtml";
        entries.append({"OPS/" + name, chapter});
        manifest += "<item id=\"c" + QByteArray::number(c) + "\" href=\"" + name +
                    "\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"c" + QByteArray::number(c) + "\"/>";
    }
    entries.append({"OPS/book.opf", "<package><manifest>" + manifest + "</manifest><spine>" +
                                        spine + "</spine></package>"});
    QFile epub(epubPath), txt(txtPath);
    if (!epub.open(QIODevice::WriteOnly) || !txt.open(QIODevice::WriteOnly))
        qFatal("cannot write the book");
    epub.write(test::buildZip(entries));
    txt.write(text);
}

// Loads the file as Open File does and cuts the first sentence; its length, or -1.
qsizetype openAndCut(const QString& path, bool asDocument) {
    test::SilentReaderPort port;
    ReaderModel model(port);
    if (asDocument) {
        model.setBookText(loadDocument(path).bookText);
    } else {
        QString text;
        if (!loadBookText(path, &text))
            return -1;
        model.setBookText(std::move(text));
    }
    return model.SayNextSentence() ? port.text1.size() : -1;
}

double bestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e6);
    }
    return best;
}

// In a fresh process: peak memory (kB) before and after one load.
int loadOnly(const QString& path, bool asDocument) {
    const long before = statusKiB("VmHWM");
    const qsizetype cut = openAndCut(path, asDocument);
    std::printf("%ld %ld %lld\n", before, statusKiB("VmHWM"), qlonglong(cut));
    return 0;
}

QList<QByteArray> childFigures(const QString& mode, const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {mode, path});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().split(' ');
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && (QByteArray(argv[1]) == "--epub" || QByteArray(argv[1]) == "--txt"))
        return loadOnly(QString::fromLocal8Bit(argv[2]), QByteArray(argv[1]) == "--epub");

    QTemporaryDir dir;
    const QString epubPath = dir.filePath(QStringLiteral("book.epub"));
    const QString txtPath = dir.filePath(QStringLiteral("book.txt"));
    generateBook(epubPath, txtPath);
    std::printf("book: %.2f MB of text, e-book file %.2f MB\n", QFile(txtPath).size() / 1048576.0,
                QFile(epubPath).size() / 1048576.0);
    if (openAndCut(epubPath, true) <= 0 || openAndCut(txtPath, false) <= 0)
        qFatal("no first sentence");
    const double epubMs = bestMs(5, [&] { openAndCut(epubPath, true); });
    const double txtMs = bestMs(5, [&] { openAndCut(txtPath, false); });
    std::printf("e-book to first sentence: %.1f ms (goal under 300 ms); same text as .txt: %.1f "
                "ms; ratio %.1f x\n",
                epubMs, txtMs, epubMs / txtMs);
    const QList<QByteArray> epubMem = childFigures(QStringLiteral("--epub"), epubPath);
    const QList<QByteArray> txtMem = childFigures(QStringLiteral("--txt"), txtPath);
    if (epubMem.size() == 3 && txtMem.size() == 3) {
        const double epubLoad = (epubMem[1].toLong() - epubMem[0].toLong()) / 1024.0;
        const double txtLoad = (txtMem[1].toLong() - txtMem[0].toLong()) / 1024.0;
        std::printf("peak RSS (fresh process): e-book %.1f MB (%.1f MB for the load), .txt %.1f MB "
                    "(%.1f MB for the load)\n",
                    epubMem[1].toLong() / 1024.0, epubLoad, txtMem[1].toLong() / 1024.0, txtLoad);
    }
    return 0;
}
