#pragma once
// The text layer of a PDF, as paragraphs in reading order, without running headers, footers and
// page numbers.
#include "documents/DocumentLoader.h"

#include <QByteArray>
#include <QImage>
#include <QStringList>
#include <functional>
#include <optional>

namespace orasent {

struct PdfExtraction {
    enum class Status { Ok, Locked, Unreadable, Cancelled };
    Status status = Status::Unreadable;
    QStringList paragraphs;
};

// Reads a page that has no text layer, rendered at 300 dpi; an empty result skips the page.
// Called from the reading threads, two pages at a time.
using TextlessPageReader = std::function<QStringList(const QImage& page, int pageIndex)>;

// What was read before on textless pages, under a key made of the file and the page number, so
// that a page read once is not rendered again. Either may be empty; called from the reading
// threads.
struct TextlessPageMemory {
    std::function<std::optional<QStringList>(const QByteArray& key)> find;
    std::function<void(const QByteArray& key, const QStringList& paragraphs)> store;
};

// Pages are read on two threads and joined in order; the paragraphs are handed to the
// progress's `arrived` as they become final.
PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress = {},
                                   const TextlessPageReader& readTextlessPage = {},
                                   const TextlessPageMemory& memory = {});

} // namespace orasent
