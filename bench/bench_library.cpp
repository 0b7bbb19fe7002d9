// Opening a known e-book (1 MB of text) with a full library of 1,000 documents, to its resumed
// sentence, against the same open without the library (to its first sentence). Prints the
// figures; asserts nothing.
#include "../tests/support/SilentReaderPort.h"
#include "../tests/support/ZipBuilder.h"
#include "reader/DocumentLibrary.h"
#include "reader/ReaderModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace orasent;

namespace {

// 40 chapters of 26,000 characters each.
QByteArray generateBook() {
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
    QByteArray manifest, spine;
    for (int c = 0; c < 40; ++c) {
        QByteArray chapter = "<?xml version=\"1.0\"?><html xmlns=\"http://www.w3.org/1999/xhtml\">"
                             "<head><title>Chapter</title></head><body><h1>Chapter " +
                             QByteArray::number(c + 1) + "</h1>";
        for (qsizetype size = 0; size < 26000;) {
            QByteArray paragraph;
            while (paragraph.size() < 400) {
                const int count = 6 + int(next() % 12);
                for (int w = 0; w < count; ++w)
                    paragraph += QByteArray(words[next() % 14]) + (w + 1 == count ? ". " : " ");
            }
            chapter += "<p>" + paragraph.trimmed() + "</p>\n";
            size += paragraph.size();
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
    return test::buildZip(entries);
}

// `others` other documents with full bookmark tables, and the book read half way.
void writeLibrary(const QString& path, const QString& bookPath, const QString& smallPath,
                  int others) {
    test::SilentReaderPort port;
    ReaderModel model(port);
    model.library().load(path);
    for (int i = 0; i < others; ++i) {
        LibraryEntry entry;
        entry.key = QByteArray::number(i).rightJustified(40, '0');
        entry.path = QStringLiteral("/home/reader/Books/Some longer title number %1.epub").arg(i);
        entry.title = QStringLiteral("Some longer title number %1").arg(i);
        entry.lastRead = QDateTime::currentDateTimeUtc();
        for (int slot = 1; slot <= 100; ++slot)
            entry.bookMarks[slot] = 1000.04 * slot;
        model.library().library().remember(entry);
    }
    model.setFileName(bookPath);
    model.openChosenFile(bookPath);
    model.setNextPos(double(model.bookText().size()) / 2);
    model.SayNextSentence();
    model.openChosenFile(smallPath); // leaves the book: its place is saved
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

// From a small text being read, Open File of the book to its first (or resumed) sentence shown:
// milliseconds, or -1 when no sentence was shown. Reading the library at start-up is not timed.
double openBookMs(const QString& libraryPath, const QString& bookPath, const QString& smallPath) {
    test::SilentReaderPort port;
    ReaderModel model(port);
    if (!libraryPath.isEmpty())
        model.library().load(libraryPath);
    model.openChosenFile(smallPath);
    port.text1.clear();
    QElapsedTimer timer;
    timer.start();
    model.openChosenFile(bookPath);
    if (port.text1.isEmpty())
        model.SayNextSentence(); // not resumed: Talk shows the first sentence
    const double ms = timer.nsecsElapsed() / 1e6;
    return port.text1.isEmpty() ? -1 : ms;
}

double bestOf(int runs, const std::function<double()>& measure) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i)
        best = std::min(best, measure());
    return best;
}

// The open with and without the library, for one book; prints a line of figures.
void compareOpens(const QString& label, const QString& bookPath, const QString& folder,
                  int documents) {
    const QString smallPath = folder + QStringLiteral("/small.txt");
    const QString libraryPath = folder + QStringLiteral("/Library.ini");
    QFile::remove(libraryPath);
    writeLibrary(libraryPath, bookPath, smallPath, documents - 1);
    test::SilentReaderPort port;
    ReaderModel probe(port);
    probe.setFileName(bookPath);
    probe.OpenfF();
    const double withMs = bestOf(5, [&] { return openBookMs(libraryPath, bookPath, smallPath); });
    const double withoutMs = bestOf(5, [&] { return openBookMs({}, bookPath, smallPath); });
    if (withMs < 0 || withoutMs < 0)
        qFatal("no sentence shown");
    // Leaving the document before writes the library whole, flushed to disk.
    LibraryStore store;
    store.load(libraryPath);
    const double saveMs = bestOf(5, [&] {
        QElapsedTimer timer;
        timer.start();
        store.save(nullptr);
        return timer.nsecsElapsed() / 1e6;
    });
    std::printf("%s: %.2f MB of text, file %.2f MB, library %.2f MB of %d documents\n"
                "  open to the resumed sentence with the library %.1f ms; to the first sentence "
                "without it %.1f ms; ratio %.2f x (of which the library's flushed write %.1f ms)\n",
                qPrintable(label), probe.bookText().size() / 1048576.0,
                QFile(bookPath).size() / 1048576.0, QFile(libraryPath).size() / 1048576.0,
                documents, withMs, withoutMs, withMs / withoutMs, saveMs);
}

// The library's own costs: the key of a 1 MB text, reading and writing 1,000 documents.
void libraryParts(const QString& libraryPath, const QString& text) {
    QFile libraryFile(libraryPath);
    if (!libraryFile.open(QIODevice::ReadOnly))
        qFatal("no library file");
    const QByteArray libraryBytes = libraryFile.readAll();
    const LibraryParse parsed = parseLibrary(libraryBytes);
    if (parsed.damaged || parsed.newer)
        qFatal("the library written is not read back whole");
    const double parseMs = bestMs(5, [&] { parseLibrary(libraryBytes); });
    const double formatMs = bestMs(5, [&] { formatLibrary(parsed.library); });
    const double hashMs = bestMs(5, [&] { contentKey(text); });
    LibraryStore store;
    store.load(libraryPath);
    const double saveMs = bestMs(5, [&] { store.save(nullptr); });
    const double loadMs = bestMs(5, [&] { LibraryStore().load(libraryPath); });
    std::printf("parts: key of the text %.1f ms; library read %.1f ms (parse %.1f ms), written "
                "%.1f ms (format %.1f ms)\n",
                hashMs, loadMs, parseMs, saveMs, formatMs);
}

} // namespace

// Optional argument: a real e-book to time as well (for example one of the shared corpus).
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString bookPath = dir.filePath(QStringLiteral("book.epub"));
    QFile book(bookPath), small(dir.filePath(QStringLiteral("small.txt")));
    if (!book.open(QIODevice::WriteOnly) || !small.open(QIODevice::WriteOnly))
        qFatal("cannot write the documents");
    book.write(generateBook());
    small.write("A small text. ");
    book.close(), small.close();

    compareOpens(QStringLiteral("generated e-book"), bookPath, dir.path(), 20);
    compareOpens(QStringLiteral("generated e-book"), bookPath, dir.path(),
                 DocumentLibrary::kMostDocuments);
    test::SilentReaderPort port;
    ReaderModel probe(port);
    probe.setFileName(bookPath);
    probe.OpenfF();
    libraryParts(dir.filePath(QStringLiteral("Library.ini")), probe.bookText());
    if (argc > 1) {
        const QString given = QString::fromLocal8Bit(argv[1]);
        if (QFile::exists(given))
            compareOpens(QFileInfo(given).fileName(), given, dir.path(),
                         DocumentLibrary::kMostDocuments);
        else
            std::printf("%s not found: skipped\n", argv[1]);
    }
    return 0;
}
