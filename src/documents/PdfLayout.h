#pragma once
// The layout side of PDF reading, free of the PDF library: words with their boxes become lines,
// running headers, footers and page numbers are dropped, and lines become paragraphs.
// Coordinates are in points with y growing downwards, as the PDF library gives them.
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
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

// True for "12", "- 12 -", "Page 12", "12 / 40", "[12]", "xiv".
bool isPageNumber(const QString& line);

// The paragraphs of the pages in reading order; a paragraph that runs on to the next page or
// column is joined with its continuation.
QStringList paragraphsFromPages(const std::vector<PdfPageLines>& pages);
std::vector<PdfParagraph> placedParagraphsFromPages(const std::vector<PdfPageLines>& pages);

} // namespace orasent
