#pragma once
// Footnotes and endnotes read at the end of their chapter: after its last paragraph, before the
// next heading of the same or a higher level (or at the document's end), under a "Notes"
// paragraph. Every paragraph placed is of kind Note, so that leaving notes out drops them whole.
#include "documents/Document.h"

#include <QVector>

namespace orasent {

struct PlacedNote {
    int paragraph = 0;       // the paragraph that holds the reference (its index)
    QVector<Paragraph> body; // the note's paragraphs
};

// `notes` in the order of their references.
QVector<Paragraph> withNotesAtChapterEnds(const QVector<Paragraph>& paragraphs,
                                          const QVector<PlacedNote>& notes);

} // namespace orasent
