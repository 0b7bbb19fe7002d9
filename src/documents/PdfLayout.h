#pragma once
// The layout side of PDF reading, free of the PDF library: words with their boxes become lines,
// running headers, footers and page numbers are dropped, and lines become paragraphs.
// Coordinates are in points with y growing downwards, as the PDF library gives them.
#include <QHash>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <vector>

namespace orasent {

struct PdfWord {
    QString text;
    QRectF box;
    bool spaceAfter = false; // the PDF puts a blank after the word
    bool endsLine = false;   // the last word of its line
};

struct PdfLine {
    QString text;
    QRectF box;
    qreal firstWordWidth = 0;
};

struct PdfPageLines {
    QSizeF size;                // the page, in points
    std::vector<PdfLine> lines; // in the PDF library's reading order
    QStringList readParagraphs; // a page without text: what the page reader found on it
    int pageIndex = -1;         // 0-based in the PDF; -1: its place among `pages`
};

// A paragraph with the place and type size of its first line.
struct PdfParagraph {
    QString text;
    int page = 0;         // 0-based
    qreal top = 0;        // points from the page's top
    qreal lineHeight = 0; // points; 0 for text read from a page without a text layer
    int lineCount = 0;
};

// Words in reading order, each line's words in a row, become lines.
std::vector<PdfLine> linesFromWords(const std::vector<PdfWord>& words);

// Drops lines in the top or bottom band of their page that repeat on most pages at about the
// same height (digits count as equal), then a page number alone on a page's first or last line.
void dropRunningLines(std::vector<PdfPageLines>& pages);

// The running lines of a document as learnt from some of its pages (all pages of a short one;
// pairs of facing pages spread over a long one), to be dropped from any of its pages.
class RunningLines {
public:
    // `indices` are the page numbers (from 0) of the `sample` pages, ascending.
    RunningLines(const std::vector<PdfPageLines>& sample, const std::vector<int>& indices);
    // Drops the running lines and the page number of page `index`.
    void dropFrom(PdfPageLines& page, int index) const;

private:
    struct Mark {
        qreal centre = 0;
        qreal tolerance = 0;
    };
    QHash<QString, std::vector<Mark>> m_marks;  // by text with digits as '#'
    std::map<int, std::vector<bool>> m_sampled; // the sample's own lines, marked exactly
};

// True for "12", "- 12 -", "Page 12", "12 / 40", "[12]", "xiv".
bool isPageNumber(const QString& line);

// The paragraphs of the pages in reading order; a paragraph that runs on to the next page or
// column is joined with its continuation.
QStringList paragraphsFromPages(const std::vector<PdfPageLines>& pages);
std::vector<PdfParagraph> placedParagraphsFromPages(const std::vector<PdfPageLines>& pages);

// paragraphsFromPages one page at a time: the paragraphs that no later page can change are
// taken as they are found.
class PdfParagraphJoiner {
public:
    PdfParagraphJoiner();
    ~PdfParagraphJoiner();
    void addPage(const PdfPageLines& page);
    std::vector<PdfParagraph> takeFinished(); // all but the last paragraph, which may go on
    std::vector<PdfParagraph> takeRest();     // at the end: the last one too

private:
    struct Found;
    std::unique_ptr<Found> m_found;
};

} // namespace orasent
