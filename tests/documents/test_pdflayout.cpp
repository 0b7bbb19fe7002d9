// PDF lines to paragraphs without a PDF: the break rules, joins across pages, running lines
// that alternate or do not repeat enough, and page number shapes.
#include "documents/PdfLayout.h"

#include <QtTest>

using namespace orasent;
using Pages = std::vector<PdfPageLines>;
Q_DECLARE_METATYPE(Pages)

namespace {

// A line of 11 pt type, 6 points a character, its top at y.
PdfLine at(qreal x, qreal y, const QString& text) {
    const qreal firstWord = 6 * text.section(QLatin1Char(' '), 0, 0).size();
    return {text, QRectF(x, y, 6 * text.size(), 12.8), firstWord};
}

// Lines at the left margin, one every `pitch` points from y = 300.
PdfPageLines page(const QStringList& texts, qreal pitch = 14) {
    PdfPageLines p{QSizeF(595, 842), {}, {}};
    for (int i = 0; i < texts.size(); ++i) {
        const bool indented = texts[i].startsWith(QLatin1Char('>'));
        p.lines.push_back(at(indented ? 90 : 72, 300 + pitch * i, texts[i].mid(indented ? 1 : 0)));
    }
    return p;
}

const QString kFull = QStringLiteral("words that fill the line to its end, all the way out to the");

} // namespace

class PdfLayoutTest : public QObject {
    Q_OBJECT
private slots:
    void paragraphs_data();
    void paragraphs();
    void runningLines_data();
    void runningLines();
    void pageNumbers_data();
    void pageNumbers();
};

void PdfLayoutTest::paragraphs_data() {
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<QStringList>("expected");
    const QString a = kFull + ".";
    QTest::newRow("an indent starts a paragraph") << Pages{page({kFull, a, ">" + kFull, "end."})}
                                                  << QStringList{kFull + " " + a, kFull + " end."};
    QTest::newRow("double spacing joins, a wider step breaks")
        << Pages{page({kFull, "end.", "", kFull, "end."}, 28)}
        << QStringList{kFull + " end.", kFull + " end."};
    QTest::newRow("bullets, an item's second line hanging")
        << Pages{page({"\u2022 " + kFull, ">" + a, "\u2022 two."})}
        << QStringList{"\u2022 " + kFull + " " + a, "\u2022 two."};
    PdfPageLines list{
        QSizeF(595, 842), {at(60, 300, "\u2022"), at(72, 300, kFull), at(72, 314, "end.")}, {}};
    QTest::newRow("a bullet set apart from its item")
        << Pages{list} << QStringList{"\u2022 " + kFull + " end."};
    const QString dots = QString(" .").repeated(27);
    QTest::newRow("contents lines")
        << Pages{page({"Introduction" + dots + " 1", "Naming" + dots + " 3"})}
        << QStringList{"Introduction" + dots + " 1", "Naming" + dots + " 3"};
    QTest::newRow("a full line goes on in lower case on the next page")
        << Pages{page({kFull, kFull}), page({"rest."})}
        << QStringList{kFull + " " + kFull + " rest."};
    QTest::newRow("a capital on the next page starts anew")
        << Pages{page({kFull, kFull}), page({"Rest."})}
        << QStringList{kFull + " " + kFull, "Rest."};
    QTest::newRow("a short line ends its paragraph at the page end")
        << Pages{page({kFull, "and"}), page({"rest."})} << QStringList{kFull + " and", "rest."};
    PdfPageLines textless{QSizeF(595, 842), {}, {"Read from the image"}};
    QTest::newRow("a read page stands alone")
        << Pages{page({kFull, kFull}), textless}
        << QStringList{kFull + " " + kFull, "Read from the image"};
}

void PdfLayoutTest::paragraphs() {
    QFETCH(Pages, pages);
    QFETCH(QStringList, expected);
    for (PdfPageLines& p : pages) // the empty texts stand for blank lines
        p.lines.erase(std::remove_if(p.lines.begin(), p.lines.end(),
                                     [](const PdfLine& l) { return l.text.isEmpty(); }),
                      p.lines.end());
    QCOMPARE(paragraphsFromPages(pages), expected);
}

void PdfLayoutTest::runningLines_data() {
    QTest::addColumn<Pages>("pages");
    QTest::addColumn<QStringList>("expected");
    Pages alternating;
    for (int i = 0; i < 4; ++i) {
        PdfPageLines p = page({QStringLiteral("Body %1.").arg(QChar('A' + i))});
        p.lines.push_back(at(72, 30, i % 2 ? "Chapter Two" : "A Book"));
        p.lines.push_back(at(72, 810, QString::number(i + 10)));
        alternating.push_back(p);
    }
    QTest::newRow("headers that alternate")
        << alternating << QStringList{"Body A.", "Body B.", "Body C.", "Body D."};
    Pages openings;
    for (int i = 0; i < 5; ++i) {
        PdfPageLines p = page({QStringLiteral("Body %1.").arg(QChar('A' + i))});
        if (i % 3 == 0)
            p.lines.insert(p.lines.begin(), at(72, 60, QStringLiteral("Chapter %1").arg(i + 1)));
        openings.push_back(p);
    }
    QTest::newRow("two chapter openings stay")
        << openings << QStringList{"Chapter 1", "Body A.", "Body B.", "Body C.",
                                   "Chapter 4", "Body D.", "Body E."};
}

void PdfLayoutTest::runningLines() {
    QFETCH(Pages, pages);
    QFETCH(QStringList, expected);
    dropRunningLines(pages);
    QCOMPARE(paragraphsFromPages(pages), expected);
}

void PdfLayoutTest::pageNumbers_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("number");
    for (const char* yes :
         {"12", "- 12 -", "\u2013 3 \u2013", "[7]", "Page 4", "page 4 of 9", "4 / 9", "xiv", "iv"})
        QTest::newRow(yes) << QString::fromUtf8(yes) << true;
    for (const char* no : {"12 apples", "IV", "ill", "civil", "Page", "-", "1 2 3", "123456"})
        QTest::newRow(no) << QString::fromUtf8(no) << false;
}

void PdfLayoutTest::pageNumbers() {
    QFETCH(QString, line);
    QFETCH(bool, number);
    QCOMPARE(isPageNumber(line), number);
}

QTEST_GUILESS_MAIN(PdfLayoutTest)
#include "test_pdflayout.moc"
