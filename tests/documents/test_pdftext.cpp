// PDF text layer to paragraphs, on PDFs the tests draw: headings, wrapped and hyphenated
// paragraphs, running headers and page numbers, cells, two columns, pages without text, and
// broken or locked files.
#include "documents/PdfText.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>
#include <QtTest>

#include <functional>

using namespace orasent;

namespace {

using Status = PdfExtraction::Status;
using PageDrawer = std::function<void(QPainter&, int page)>;

QFont font(int pixels) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    return f;
}

// An A4 PDF at 72 dpi, so painter units are points.
QByteArray makePdf(int pages, const PageDrawer& draw) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        draw(painter, page);
    }
    painter.end();
    return buffer.data();
}

// Word-wrapped text in a column; returns the y below it.
qreal wrapped(QPainter& p, qreal x, qreal y, qreal width, const QString& text, int size = 11) {
    p.setFont(font(size));
    QRectF drawn;
    p.drawText(QRectF(x, y, width, 1000), Qt::TextWordWrap, text, &drawn);
    return drawn.bottom();
}

void line(QPainter& p, qreal x, qreal y, const QString& text, int size = 11) {
    p.setFont(font(size));
    p.drawText(QPointF(x, y), text);
}

// Wraps the text at 210 points and puts its first three lines in the left column, the rest in
// the right one, as a layout program flows text.
void flowInTwoColumns(QPainter& p, const QString& text) {
    QTextLayout layout(text, font(11), p.device());
    layout.beginLayout();
    for (int i = 0;; ++i) {
        QTextLine row = layout.createLine();
        if (!row.isValid())
            break;
        row.setLineWidth(210);
        row.setPosition(i < 3 ? QPointF(72, 100 + 14 * i) : QPointF(320, 100 + 14 * (i - 3)));
    }
    layout.endLayout();
    layout.draw(&p, QPointF());
}

const QString kFirst = QStringLiteral(
    "Reading aloud helps many people to follow a text closely. Each sentence is shown on its "
    "own, and the reader hears it while the eyes rest on it.");
const QString kColumns = QStringLiteral(
    "Two columns are read one after the other, and a sentence that runs out at the foot of the "
    "left column goes on at the top of the right one without a break in the middle of the");

// Three pages, each with a running header and a page number.
void course(QPainter& p, int page) {
    line(p, 72, 40, QStringLiteral("Study Guide, part %1").arg(page + 1), 9);
    line(p, 280, 810, QStringLiteral("- %1 -").arg(page + 1), 9);
    if (page == 0) {
        line(p, 72, 100, QStringLiteral("Reading Well"), 18);
        const qreal y = wrapped(p, 72, 120, 330, kFirst) + 14 + 10;
        line(p, 72, y, QStringLiteral("Some words are long and get split, for exam-"));
        line(p, 72, y + 14, QStringLiteral("ple this one."));
    } else if (page == 1) {
        line(p, 72, 100, QStringLiteral("Prices"), 18);
        const char* cells[][2] = {{"Item", "Cost"}, {"Pencil", "2"}, {"Paper", "5"}};
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 2; ++col)
                line(p, 72 + 150 * col, 130 + 15 * row, QString::fromLatin1(cells[row][col]));
    } else {
        flowInTwoColumns(p, kColumns + QStringLiteral(" sentence."));
    }
}

// An encrypted file whose user password is not empty: the password check fails on any key.
QByteArray lockedPdf() {
    const QByteArray hex32(64, 'A');
    const QList<QByteArray> objects = {
        "<</Type/Catalog/Pages 2 0 R>>", "<</Type/Pages/Kids[3 0 R]/Count 1>>",
        "<</Type/Page/Parent 2 0 R/MediaBox[0 0 200 200]>>",
        "<</Filter/Standard/V 1/R 2/Length 40/P -4/O<" + hex32 + ">/U<" + hex32 + ">>>"};
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref = "xref\n0 5\n0000000000 65535 f \n";
    for (int i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const QByteArray start = QByteArray::number(pdf.size());
    return pdf + xref + "trailer\n<</Size 5/Root 1 0 R/Encrypt 4 0 R/ID[<" + QByteArray(32, '1') +
           "><" + QByteArray(32, '1') + ">]>>\nstartxref\n" + start + "\n%%EOF\n";
}

} // namespace

class PdfTextTest : public QObject {
    Q_OBJECT
private slots:
    void paragraphs_data();
    void paragraphs();
    void textlessPages();
    void progressAndCancel();
    void longDocumentArrivesInParts();
    void badFiles_data();
    void badFiles();
};

void PdfTextTest::paragraphs_data() {
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("expected");
    const QStringList first = {"Reading Well", kFirst,
                               "Some words are long and get split, for example this one."};
    // Cells read column by column; the left column's sentence goes on in the right one.
    const QStringList rest = {"Prices", "Item", "Pencil", "Paper",
                              "Cost",   "2",    "5",      kColumns + QStringLiteral(" sentence.")};
    QTest::newRow("header repeated on three pages") << 3 << first + rest;
    QTest::newRow("one page keeps its header") << 1 << QStringList{"Study Guide, part 1"} + first;
}

void PdfTextTest::paragraphs() {
    QFETCH(int, pages);
    QFETCH(QStringList, expected);
    const PdfExtraction pdf = extractPdfParagraphs(makePdf(pages, course));
    QCOMPARE(pdf.status, Status::Ok);
    QCOMPARE(pdf.paragraphs.join("|\n"), expected.join("|\n"));
}

void PdfTextTest::textlessPages() {
    const auto draw = [](QPainter& p, int page) {
        if (page == 0)
            line(p, 72, 100, QStringLiteral("Before the scan."));
    };
    const QByteArray pdf = makePdf(2, draw);
    QCOMPARE(extractPdfParagraphs(pdf).paragraphs, QStringList{"Before the scan."});
    QList<int> asked;
    QSize size;
    const auto reader = [&](const QImage& image, int index) {
        asked << index;
        size = image.size();
        return QStringList{"Seen on the scan."};
    };
    const PdfExtraction read = extractPdfParagraphs(pdf, {}, reader);
    QCOMPARE(read.paragraphs, (QStringList{"Before the scan.", "Seen on the scan."}));
    QCOMPARE(asked, QList<int>{1});
    QCOMPARE(size, QSize(2479, 3508)); // 595 x 842 points at 300 dpi
}

void PdfTextTest::progressAndCancel() {
    const QByteArray pdf = makePdf(3, course);
    QList<QPair<int, int>> reports;
    LoadProgress progress;
    progress.report = [&](int done, int total) { reports << qMakePair(done, total); };
    QCOMPARE(extractPdfParagraphs(pdf, progress).status, Status::Ok);
    QCOMPARE(reports, (QList<QPair<int, int>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    progress.cancelled = [&] { return reports.size() >= 2; };
    reports.clear();
    const PdfExtraction cancelled = extractPdfParagraphs(pdf, progress);
    QCOMPARE(cancelled.status, Status::Cancelled);
    QVERIFY(cancelled.paragraphs.isEmpty());
}

// Past the pages that running lines are learnt from: the header and page number still go on
// every page, and the paragraphs are handed over in order while later pages are being read.
void PdfTextTest::longDocumentArrivesInParts() {
    constexpr int kPages = 40;
    const auto draw = [](QPainter& p, int page) {
        line(p, 72, 40, QStringLiteral("Study Guide, part %1").arg(page + 1), 9);
        line(p, 280, 810, QStringLiteral("- %1 -").arg(page + 1), 9);
        line(p, 72, 300, QStringLiteral("Page %1 says hello.").arg(page + 1));
    };
    const QByteArray pdf = makePdf(kPages, draw);
    QStringList expected;
    for (int page = 1; page <= kPages; ++page)
        expected << QStringLiteral("Page %1 says hello.").arg(page);
    QStringList arrived;
    int lastReport = 0, firstArrivalAt = -1;
    LoadProgress progress;
    progress.report = [&](int done, int) { lastReport = done; };
    progress.arrived = [&](const QVector<Paragraph>& part) {
        if (firstArrivalAt < 0)
            firstArrivalAt = lastReport;
        for (const Paragraph& p : part)
            arrived << p.text;
    };
    const PdfExtraction read = extractPdfParagraphs(pdf, progress);
    QCOMPARE(read.paragraphs, expected);
    QCOMPARE(arrived, expected);
    QVERIFY2(firstArrivalAt < kPages / 2, qPrintable(QString::number(firstArrivalAt)));
}

void PdfTextTest::badFiles_data() {
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<Status>("status");
    const QByteArray good = makePdf(1, course);
    QTest::newRow("empty") << QByteArray() << Status::Unreadable;
    QTest::newRow("not a PDF") << QByteArray("Hello, this is text.\n") << Status::Unreadable;
    QTest::newRow("header only") << good.left(200) << Status::Unreadable;
    QTest::newRow("cut short") << good.left(good.size() - 10) << Status::Unreadable;
    QTest::newRow("cut short, end marker kept") << good.left(good.size() / 2) + "\n%%EOF\n"
                                                << Status::Unreadable;
    QTest::newRow("locked") << lockedPdf() << Status::Locked;
}

void PdfTextTest::badFiles() {
    QFETCH(QByteArray, data);
    QFETCH(Status, status);
    QCOMPARE(extractPdfParagraphs(data).status, status);
}

QTEST_MAIN(PdfTextTest)
#include "test_pdftext.moc"
