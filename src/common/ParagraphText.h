#pragma once
// How extracted paragraphs become BookText under the reader's sentence rule (a period followed by
// a blank ends a sentence).
#include <QString>
#include <QStringList>

namespace orasent {

// Joins the lines of one paragraph: a line end becomes a blank, and a word hyphenated across it
// is joined ("exam-" + "ple" -> "example"). Blanks at the joins are not doubled.
QString joinParagraphLines(const QStringList& lines);

// One line of BookText per paragraph, each closing its own sentence: one that ends with a period
// gets a blank after it; any other non-empty one gets ". " (a heading "Chapter 1" reads
// "Chapter 1."). Lines are separated by CR LF; empty paragraphs are dropped.
QString bookTextFromParagraphs(const QStringList& paragraphs);

} // namespace orasent
