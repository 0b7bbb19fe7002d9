// A PDF's structure beside its text, on PDFs written here object by object: the outline as
// contents, headings from type sizes when there is none, the information dictionary and /Lang,
// and the password asked again after a wrong one.
#include "documents/PdfStructure.h"
#include "documents/PdfText.h"

#include <QFile>
#include <QtTest>

using namespace orasent;

namespace {

using Status = PdfExtraction::Status;

// One A4 page: lines of Helvetica, each {size in points, baseline from the page's top, text}.
struct PdfTextLine {
    int size;
    int y;
    QByteArray text;
};
using PdfPage = QList<PdfTextLine>;

// Objects 1 catalog, 2 pages, 3 font, 4 info, then page and content pairs, then `extra`
// (numbered on from there; "$PAGE1" stands for the first page's object number).
QByteArray buildPdf(const QList<PdfPage>& pages, const QByteArray& catalogExtra = {},
                    const QList<QByteArray>& extra = {}) {
    QList<QByteArray> objects = {"<< /Type /Catalog /Pages 2 0 R " + catalogExtra + " >>", "",
                                 "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
                                 "<< /Title (The Tide Book) /Author (Ann Lee) >>"};
    QByteArray kids;
    for (const PdfPage& page : pages) {
        const int number = int(objects.size()) + 1;
        kids += QByteArray::number(number) + " 0 R ";
        QByteArray content;
        for (const PdfTextLine& line : page)
            content += "BT /F1 " + QByteArray::number(line.size) + " Tf 72 " +
                       QByteArray::number(842 - line.y) + " Td (" + line.text + ") Tj ET\n";
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font "
                   "<< /F1 3 0 R >> >> /Contents " +
                       QByteArray::number(number + 1) + " 0 R >>";
        objects << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "endstream";
    }
    objects[1] =
        "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages.size()) + " >>";
    for (QByteArray object : extra)
        objects << object.replace("$PAGE1", "5").replace("$PAGE2", "7");
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref =
        "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + xref + "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R /Info 4 0 R >>\nstartxref\n" + start + "\n%%EOF\n";
}

const QList<PdfPage> kBook = {
    {{24, 80, "Chapter One"},
     {11, 130, "The tide came in slowly over the flat sand."},
     {11, 170, "Birds rose from the water and flew away over the grey roofs of the town."},
     {16, 230, "A Short Walk"},
     {11, 280, "They walked to the end of the pier and back."}},
    {{24, 80, "Chapter Two"}, {11, 130, "Night fell over the harbour."}},
};

// Outline: "Chapter One" -> page 1, "Chapter Two" -> page 2 with the child "Night" pointing
// at the body line below the heading (a title that is not on the page).
const QList<QByteArray> kOutline = {
    "<< /Type /Outlines /First 10 0 R /Last 11 0 R /Count 3 >>",
    "<< /Title (Chapter One) /Parent 9 0 R /Next 11 0 R /Dest [$PAGE1 0 R /XYZ 0 842 0] >>",
    "<< /Title (Chapter Two) /Parent 9 0 R /Prev 10 0 R /First 12 0 R /Last 12 0 R /Count 1 "
    "/Dest [$PAGE2 0 R /XYZ 0 842 0] >>",
    "<< /Title (At night) /Parent 11 0 R /Dest [$PAGE2 0 R /XYZ 0 722 0] >>",
};

QString contentsText(const QVector<ContentsEntry>& contents) {
    QStringList entries;
    for (const ContentsEntry& e : contents)
        entries << QStringLiteral("%1:%2:%3").arg(e.level).arg(e.title).arg(e.paragraph);
    return entries.join(QLatin1Char('|'));
}

QString levelsText(const QVector<int>& levels) {
    QStringList out;
    for (int level : levels)
        out << QString::number(level);
    return out.join(QLatin1Char(' '));
}

QByteArray fixture(const char* name) {
    QFile file(qEnvironmentVariable("ORASENT_TEST_DATA") + "/documents/" + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PdfStructureTest : public QObject {
    Q_OBJECT
private slots:
    void structure_data();
    void structure();
    void tenThousandEntries();
    void catalogFlood();
    void passwords_data();
    void passwords();
};

void PdfStructureTest::structure_data() {
    QTest::addColumn<QByteArray>("pdf");
    QTest::addColumn<QString>("contents");
    QTest::addColumn<QString>("levels");
    QTest::addColumn<QString>("language");
    QTest::newRow("outline") << buildPdf(kBook, "/Outlines 9 0 R /Lang (fr-CA)", kOutline)
                             << "1:Chapter One:0|1:Chapter Two:5|2:At night:6"
                             << "1 0 0 0 0 1 0"
                             << "fr-CA";
    QTest::newRow("type sizes without an outline")
        << buildPdf(kBook, "/Lang <FEFF0064006500>")
        << "1:Chapter One:0|2:A Short Walk:3|1:Chapter Two:5"
        << "1 0 0 2 0 1 0"
        << "de";
    QTest::newRow("no heading, no language")
        << buildPdf({{{11, 100, "Only one plain line."}}}) << ""
        << "0"
        << "";
}

void PdfStructureTest::structure() {
    QFETCH(QByteArray, pdf);
    QFETCH(QString, contents);
    QFETCH(QString, levels);
    QFETCH(QString, language);
    const PdfExtraction read = extractPdfParagraphs(pdf);
    QCOMPARE(read.status, Status::Ok);
    QCOMPARE(contentsText(read.contents), contents);
    QCOMPARE(levelsText(read.headingLevels), levels);
    QCOMPARE(read.pages.size(), read.paragraphs.size());
    QCOMPARE(read.pages.last(), read.paragraphs.size() > 1 ? 1 : 0); // "Night fell" on page 2
    QCOMPARE(read.metadata.language, language);
    QCOMPARE(declaredPdfLanguage(pdf), language);
    QCOMPARE(read.metadata.title, QString("The Tide Book"));
    QCOMPARE(read.metadata.author, QString("Ann Lee"));
}

// An outline of 10,000 entries, each a chapter on the first page: read whole, each found.
void PdfStructureTest::tenThousandEntries() {
    constexpr int kEntries = 10000;
    QList<QByteArray> outline = {"<< /Type /Outlines /First 10 0 R /Last " +
                                 QByteArray::number(9 + kEntries) + " 0 R /Count " +
                                 QByteArray::number(kEntries) + " >>"};
    for (int i = 0; i < kEntries; ++i) {
        const QByteArray next =
            i + 1 < kEntries ? " /Next " + QByteArray::number(11 + i) + " 0 R" : QByteArray();
        outline << "<< /Title (Chapter One) /Parent 9 0 R" + next +
                       " /Dest [$PAGE1 0 R /XYZ 0 842 0] >>";
    }
    const PdfExtraction read = extractPdfParagraphs(buildPdf(kBook, "/Outlines 9 0 R", outline));
    QCOMPARE(read.contents.size(), kEntries);
    QCOMPARE(read.contents.last().paragraph, 0);
    QCOMPARE(read.headingLevels.first(), 1);
}

// Eight megabytes of "/Catalog" after one object start: looked at briefly, no language.
void PdfStructureTest::catalogFlood() {
    const QByteArray flood = "1 0 obj " + QByteArray("/Catalog").repeated(1 << 20);
    QCOMPARE(declaredPdfLanguage(flood), QString());
    QCOMPARE(declaredPdfLanguage(flood + "/Lang (en)"), QString());
}

// locked.pdf: one page, AES-256, user password "secret" (made with
// `qpdf --encrypt secret owner-pw 256 -- plain.pdf locked.pdf`).
void PdfStructureTest::passwords_data() {
    QTest::addColumn<QStringList>("answers"); // "" stands for Cancel
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("asked");
    QTest::newRow("right at once") << QStringList{"secret"} << int(Status::Ok) << 1;
    QTest::newRow("wrong, then right") << QStringList{"Secret", "secret"} << int(Status::Ok) << 2;
    QStringList wrong(50, QStringLiteral("guess"));
    QTest::newRow("50 wrong, then Cancel")
        << wrong + QStringList{""} << int(Status::Cancelled) << 51;
    QTest::newRow("no one to ask") << QStringList{} << int(Status::Locked) << 0;
}

void PdfStructureTest::passwords() {
    QFETCH(QStringList, answers);
    QFETCH(int, status);
    QFETCH(int, asked);
    const QByteArray pdf = fixture("locked.pdf");
    QVERIFY2(!pdf.isEmpty(), "tests/data/documents/locked.pdf");
    LoadProgress progress;
    QList<bool> agains;
    if (!answers.isEmpty())
        progress.password = [&](bool again) -> std::optional<QString> {
            agains << again;
            const QString answer = answers.value(agains.size() - 1);
            return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
        };
    const PdfExtraction read = extractPdfParagraphs(pdf, progress);
    QCOMPARE(int(read.status), status);
    QCOMPARE(agains.size(), asked);
    for (int i = 0; i < agains.size(); ++i)
        QCOMPARE(agains[i], i > 0); // "wrong, ask again" after the first
    if (read.status == Status::Ok)
        QCOMPARE(read.paragraphs, QStringList{"The secret plan is ready."});
}

QTEST_MAIN(PdfStructureTest)
#include "test_pdfstructure.moc"
