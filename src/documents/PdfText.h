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
using TextlessPageReader = std::function<QStringList(const QImage& page, int pageIndex)>;

PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress = {},
                                   const TextlessPageReader& readTextlessPage = {});

} // namespace orasent
