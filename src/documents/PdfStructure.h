#pragma once
// A PDF's structure beside its text: the outline or else the headings its type sizes show, the
// information dictionary, the declared language, and opening one that needs a password.
#include "documents/PdfLayout.h"
#include "documents/PdfText.h"

#include <vector>

namespace Poppler {
class Document;
}

namespace orasent {

// Opens a document locked with a user password by asking through `progress.password` until
// one fits. Ok once unlocked; Locked when there is no one to ask; Cancelled when the user gives
// up or cancels the load.
PdfExtraction::Status unlockPdf(Poppler::Document& document, const LoadProgress& progress);

// Fills `result`'s metadata, contents and heading levels; `placed` are its paragraphs.
void readPdfStructure(const Poppler::Document& document, const QByteArray& data,
                      const std::vector<PdfParagraph>& placed, PdfExtraction& result);

// An outline entry: where its destination lies.
struct PdfOutlineEntry {
    QString title;
    int level = 1;
    int page = 0;   // 0-based
    qreal top = -1; // points from the page's top; -1: the page's top
};

// The paragraph an entry leads to: the first on its page (or the next) whose text starts with
// the entry's title, else the first at or below its destination. `titled` tells which.
int paragraphOfOutlineEntry(const PdfOutlineEntry& entry, const std::vector<PdfParagraph>& placed,
                            bool* titled = nullptr);

// Heading levels from the type sizes alone, one per paragraph: short paragraphs set clearly
// larger than the body text, the largest size level 1. All 0 when the sizes show no headings.
QVector<int> layoutHeadingLevels(const std::vector<PdfParagraph>& placed);

} // namespace orasent
