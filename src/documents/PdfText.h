#pragma once
// The text layer of a PDF, as paragraphs in reading order, without running headers, footers and
// page numbers.
#include "documents/DocumentLoader.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <functional>

namespace orasent {

struct PdfExtraction {
    enum class Status { Ok, Locked, Unreadable, Cancelled };
    Status status = Status::Unreadable;
    QStringList paragraphs;
};

// Reads a page that has no text layer, rendered at 300 dpi; an empty result skips the page.
// Called from the reading threads, two pages at a time.
using TextlessPageReader = std::function<QStringList(const QImage& page, int pageIndex)>;

// Pages are read on two threads and joined in order; the paragraphs are handed to the
// progress's `arrived` as they become final.
PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress = {},
                                   const TextlessPageReader& readTextlessPage = {});

} // namespace orasent
