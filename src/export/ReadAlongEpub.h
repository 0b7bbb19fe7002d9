#pragma once
// A read-along EPUB 3: the text as XHTML chapters with each sentence in a span, one MP3 per
// chapter, and a Media Overlay per chapter that joins every sentence to its clip, so that a
// reading system lights each sentence up while it is heard, in the colours of the reader's look.
#include "export/AudioExport.h"
#include "export/BookPlan.h"
#include "export/ExportParts.h"
#include "export/ExportText.h"

namespace orasent {

struct ReadAlongBook {
    const ExportRequest& request;
    const QVector<ExportChapter>& chapters;
    const QVector<ExportPart>& parts; // one per chapter that has sound, its MP3 committed
    const QVector<SentenceSpan>& sentences;
    const BookTags& tags;
};

// The class that marks the sentence being heard.
extern const char* const kActiveClass;

// Writes the book to `target` through a file in `workFolder` (same file system), renamed into
// place once complete.
bool writeReadAlongEpub(const ReadAlongBook& book, const QString& workFolder, const QString& target,
                        QString* error);

// "0:01:02.345", a SMIL clock value.
QString smilClock(qint64 ms);

} // namespace orasent
