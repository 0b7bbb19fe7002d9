#pragma once
// How an exported book is divided: chapters from the document's contents, the text's paragraphs
// for a read-along book, and file names made safe from titles.
#include "documents/Document.h"

#include <QString>
#include <QVector>

namespace orasent {

struct ExportChapter {
    QString title;
    qsizetype textOffset = 0; // where it starts in the text (0-based)
};

// Chapter files are numbered with three digits at most (CHAPTER001 .. CHAPTER999).
constexpr int kMaxChapters = 999;

// The level chapters are made of: the top level that has at least two entries; 0 when none has.
int chapterLevel(const QVector<ContentsEntry>& contents);

// One chapter per contents entry of chapterLevel(), starting where its paragraph does
// (`paragraphStarts`, 0-based offsets into the text). More than `maxChapters` entries are joined
// in even runs, each named after its first. Text before the first entry belongs to the first
// chapter. Empty when the contents give no level.
QVector<ExportChapter> planChapters(const Document& document,
                                    const QVector<qsizetype>& paragraphStarts,
                                    int maxChapters = kMaxChapters);

// A paragraph of the text as laid out in it.
struct TextBlock {
    qsizetype start = 0;
    qsizetype length = 0;
    Paragraph::Kind kind = Paragraph::Kind::Body;
    int level = 0;
    QString language;
};

// The paragraphs of `text`: the document's where they lie in it, else one per line.
QVector<TextBlock> textBlocks(const QString& text, const Document& document,
                              const QVector<qsizetype>& paragraphStarts);

// A file name from a title: no "/", "\", ":" or other characters some file systems refuse, no
// control characters, no leading dots, runs of blanks made one, at most `maxChars` characters
// (cut at a word when one ends late enough); `fallback` when nothing is left.
QString safeFileName(const QString& title, const QString& fallback, int maxChars = 80);

} // namespace orasent
