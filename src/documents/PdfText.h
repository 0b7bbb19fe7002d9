#pragma once
// The text layer of a PDF, as paragraphs in reading order, without running headers, footers and
// page numbers.
#include "documents/Document.h"
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
    // Title and author from the information dictionary, language from the catalog's /Lang
    // (else the XMP metadata).
    DocumentMetadata metadata;
    // The outline, else the headings the type sizes show; paragraph indexes into `paragraphs`.
    QVector<ContentsEntry> contents;
    // One per paragraph: its heading level (1 to 6), 0 for any other paragraph.
    QVector<int> headingLevels;
    // One per paragraph: the page it starts on, 0-based.
    QVector<int> pages;
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
// A PDF with a user password asks for it through `progress.password`, again after each wrong
// one; Locked when there is no way to ask, Cancelled when the user gives up.
PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress = {},
                                   const TextlessPageReader& readTextlessPage = {},
                                   const TextlessPageMemory& memory = {});

// The language the PDF declares (BCP 47): the catalog's /Lang, else dc:language in its XMP
// metadata; read from the bytes, so that it is known before the pages are. Empty when neither
// is found (or both sit in compressed object streams).
QString declaredPdfLanguage(const QByteArray& data);

} // namespace orasent
