#pragma once
// What every document extractor's paragraphs must hold, checked by the fuzz targets.
#include "documents/Document.h"

namespace fuzz {

// Kept paragraphs are never blank, and within one part no body text follows its notes.
inline void checkParagraphs(const QVector<orasent::Paragraph>& paragraphs) {
    bool inNotes = false;
    for (const orasent::Paragraph& paragraph : paragraphs) {
        if (paragraph.text.trimmed().isEmpty())
            __builtin_trap();
        if (inNotes && paragraph.kind != orasent::Paragraph::Kind::Note)
            __builtin_trap();
        inNotes = paragraph.kind == orasent::Paragraph::Kind::Note;
    }
}

} // namespace fuzz
