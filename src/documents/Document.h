#pragma once
// A document as the reader, the export and the contents list see it: paragraphs with their kind,
// language and source, the book's metadata and its contents. BookText is made from it, with the
// way back from a BookText position to the paragraph it lies in.
#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

namespace orasent {

struct Paragraph {
    enum class Kind { Body, Heading, ListItem, Cell, Note };
    QString text;
    Kind kind = Kind::Body;
    int level = 0;    // a heading's level, 1 (top) to 6; 0 for the other kinds
    QString language; // BCP 47 tag as the document declares it; empty: the document's language
    QString sourceId; // where it came from ("chapter3.xhtml#p12", "page 12"); may be empty
};

struct DocumentMetadata {
    QString title;
    QString author;
    QString language; // BCP 47; empty when the document declares none
    QString identifier;
    // Pronunciation lexicons (PLS files) the document carries, as their bytes.
    QList<QByteArray> lexicons;
    // The cover as a small JPEG (CoverImage.h), when the one who loaded it asked for it.
    QByteArray coverJpeg;
};

struct ContentsEntry {
    QString title;
    int level = 1;     // 1 is the top level
    int paragraph = 0; // index into Document::paragraphs
};

struct Document {
    DocumentMetadata metadata;
    QVector<Paragraph> paragraphs;
    QVector<ContentsEntry> contents;

    // The language a paragraph is read in: its own, else the document's (may be empty).
    QString languageOf(int paragraph) const;
};

// BookText under the reader's sentence rule, and where each paragraph starts in it.
struct BookTextMap {
    QString bookText;
    // 0-based offset in bookText of each paragraph of the document; a paragraph that holds no
    // text starts where the next one does.
    QVector<qsizetype> starts;

    // The paragraph that holds 0-based offset `offset`; -1 when there are no paragraphs.
    int paragraphAt(qsizetype offset) const;
};

// One line of BookText per paragraph, each closing its own sentence: one that ends with a period
// gets a blank after it; any other non-empty one gets ". " (a heading "Chapter 1" reads
// "Chapter 1."). Lines are separated by CR LF; paragraphs without text add nothing.
BookTextMap bookTextFromDocument(const QVector<Paragraph>& paragraphs);
// Adds more paragraphs after those already in `map`, exactly as bookTextFromDocument would have
// placed them: what is in bookText already never moves.
void appendToBookText(BookTextMap& map, const QVector<Paragraph>& more);

// The contents as the headings give them, in document order.
QVector<ContentsEntry> contentsFromHeadings(const QVector<Paragraph>& paragraphs);

} // namespace orasent
