// The read-along EPUB: epubcheck finds nothing, every par points at a span that exists, and its
// clip lies inside its chapter's audio as a player decodes it.
#include "AudiobookFixture.h"
#include "export/AudioExport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace orasent;
using namespace orasent::test;

namespace {

QByteArray unzipped(const QString& epub, const QString& entry) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), epub, entry});
    unzip.waitForFinished(60000);
    return unzip.readAllStandardOutput();
}

double clockSeconds(const QString& clock) {
    const QStringList parts = clock.split(QLatin1Char(':'));
    double seconds = 0;
    for (const QString& p : parts)
        seconds = seconds * 60 + p.toDouble();
    return seconds;
}

} // namespace

class TestReadAlong : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void books_data();
    void books();
};

void TestReadAlong::initTestCase() {
    for (const char* program : {"ffmpeg", "unzip"})
        if (!haveProgram(QLatin1String(program)))
            QSKIP("ffmpeg and unzip are needed to read the book back");
}

void TestReadAlong::books_data() {
    QTest::addColumn<bool>("headings");
    QTest::addColumn<bool>("markupChapter");
    QTest::addColumn<int>("pages");
    QTest::newRow("three chapters") << true << false << 3;
    QTest::newRow("no headings: one chapter") << false << false << 1;
    QTest::newRow("a chapter of markup only") << true << true << 4;
}

void TestReadAlong::books() {
    QFETCH(bool, headings);
    QFETCH(bool, markupChapter);
    QFETCH(int, pages);
    QTemporaryDir dir;
    ExportRequest r = bookRequest(dir.filePath(QStringLiteral("book.epub")));
    if (!headings) {
        for (Paragraph& p : r.document.paragraphs)
            p.kind = Paragraph::Kind::Body;
        r.document.contents.clear();
    }
    if (markupChapter) {
        r.document.paragraphs.append(
            paragraph(QStringLiteral("Pictures"), Paragraph::Kind::Heading, 2));
        r.document.paragraphs.append(paragraph(QStringLiteral("<break time=\"1s\"/>")));
        r.document.contents = contentsFromHeadings(r.document.paragraphs);
        const BookTextMap map = bookTextFromDocument(r.document.paragraphs);
        r.text = map.bookText;
        r.paragraphStarts = map.starts;
    }
    const ExportResult result = AudioExport(r).run();
    QVERIFY2(result.status == ExportResult::Status::Done, qPrintable(result.error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("book.epub")});
    const QString epub = result.audioPath;
    if (haveProgram(QStringLiteral("epubcheck")) || QFile::exists("/usr/bin/epubcheck")) {
        QProcess check;
        check.start(QStringLiteral("java"),
                    {QStringLiteral("-jar"), QStringLiteral("/usr/bin/epubcheck"), epub});
        QVERIFY(check.waitForFinished(300000));
        const QByteArray report = check.readAllStandardOutput() + check.readAllStandardError();
        QVERIFY2(report.contains("No errors or warnings detected"), report.constData());
    }
    const QString opf = QString::fromUtf8(unzipped(epub, QStringLiteral("EPUB/package.opf")));
    static const QRegularExpression page(QStringLiteral(R"re(href="(chapter\d+)\.xhtml")re"));
    QStringList names;
    for (auto it = page.globalMatch(opf); it.hasNext();)
        names << it.next().captured(1);
    QCOMPARE(names.size(), pages);
    static const QRegularExpression par(QStringLiteral(
        R"re(<text src="([^#"]+)#([^"]+)"/><audio src="([^"]+)" clipBegin="([^"]+)" clipEnd="([^"]+)")re"));
    int pars = 0;
    for (const QString& name : names) {
        const QString smil =
            QString::fromUtf8(unzipped(epub, QStringLiteral("EPUB/%1.smil").arg(name)));
        if (smil.isEmpty())
            continue; // a page without sound has no overlay
        const QString xhtml =
            QString::fromUtf8(unzipped(epub, QStringLiteral("EPUB/%1.xhtml").arg(name)));
        double seconds = -1;
        double lastEnd = 0;
        for (auto it = par.globalMatch(smil); it.hasNext(); ++pars) {
            const auto m = it.next();
            QCOMPARE(m.captured(1), name + QStringLiteral(".xhtml"));
            QVERIFY2(xhtml.contains(QStringLiteral("<span id=\"%1\">").arg(m.captured(2))),
                     qPrintable(m.captured(2)));
            if (seconds < 0) {
                QFile audio(dir.filePath(m.captured(3)));
                QVERIFY(audio.open(QIODevice::WriteOnly));
                audio.write(unzipped(epub, QStringLiteral("EPUB/") + m.captured(3)));
                audio.close();
                seconds = decodedSeconds(audio.fileName());
            }
            const double begin = clockSeconds(m.captured(4)), end = clockSeconds(m.captured(5));
            QVERIFY(begin >= lastEnd - 0.001 && end > begin);
            QVERIFY2(end <= seconds + 0.02,
                     qPrintable(QStringLiteral("%1 > %2").arg(end).arg(seconds)));
            lastEnd = end;
        }
        QVERIFY2(qAbs(lastEnd - seconds) <= 0.02,
                 qPrintable(QStringLiteral("%1 vs %2").arg(lastEnd).arg(seconds)));
    }
    QVERIFY(pars >= 7); // the title and two sentences a chapter
}

QTEST_GUILESS_MAIN(TestReadAlong)
#include "test_read_along.moc"
