#include "documents/PdfText.h"

#include "documents/PdfLayout.h"
#include "documents/PdfStructure.h"

#include <poppler-qt6.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>

namespace orasent {

namespace {

constexpr double kReaderDpi = 300;
// A page image for the page reader stays under this many pixels (a 300 dpi A4 page has 8.7
// million); larger pages are rendered at a lower resolution.
constexpr double kMaxPixels = 64e6;

bool isCancelled(const LoadProgress& progress) {
    return progress.cancelled && progress.cancelled();
}

// The library's own complaints about broken files go nowhere: the caller gets a status.
void quiet(const QString&, const QVariant&) {}

void silenceLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { Poppler::setDebugErrorFunction(quiet, QVariant()); });
}

bool abortQuery(const QVariant& closure) {
    return isCancelled(*static_cast<const LoadProgress*>(closure.value<void*>()));
}

std::vector<PdfWord> pageWords(const Poppler::Page& page, const LoadProgress& progress) {
    // The callback only reads the progress; the library takes a non-const pointer.
    const QVariant closure =
        QVariant::fromValue(static_cast<void*>(const_cast<LoadProgress*>(&progress)));
    const auto boxes = page.textList(Poppler::Page::Rotate0, abortQuery, closure);
    std::vector<PdfWord> words;
    words.reserve(boxes.size());
    for (size_t i = 0; i < boxes.size(); ++i) {
        const Poppler::TextBox& box = *boxes[i];
        const bool lineGoesOn = i + 1 < boxes.size() && box.nextWord() == boxes[i + 1].get();
        words.push_back({box.text(), box.boundingBox(), box.hasSpaceAfter(), !lineGoesOn});
    }
    return words;
}

QStringList readTextless(const Poppler::Page& page, int index, const TextlessPageReader& reader) {
    const QSizeF inches = page.pageSizeF() / 72.0;
    const double area = inches.width() * inches.height();
    if (!(area > 0))
        return {};
    const double dpi = std::min(kReaderDpi, std::sqrt(kMaxPixels / area));
    const QImage image = page.renderToImage(dpi, dpi);
    return image.isNull() ? QStringList() : reader(image, index);
}

// A file cut short (a broken download) lacks the end-of-file marker in its last kilobyte; the
// library would still read its first pages, and the rest would be lost without a word.
bool endsWhole(const QByteArray& data) {
    return data.right(1024).contains("%%EOF");
}

PdfExtraction withStatus(PdfExtraction::Status status) {
    PdfExtraction result;
    result.status = status;
    return result;
}

} // namespace

PdfExtraction extractPdfParagraphs(const QByteArray& data, const LoadProgress& progress,
                                   const TextlessPageReader& readTextlessPage) {
    silenceLibrary();
    if (!endsWhole(data))
        return withStatus(PdfExtraction::Status::Unreadable);
    const std::unique_ptr<Poppler::Document> document = Poppler::Document::loadFromData(data);
    if (!document)
        return withStatus(PdfExtraction::Status::Unreadable);
    if (const auto unlocked = unlockPdf(*document, progress); unlocked != PdfExtraction::Status::Ok)
        return withStatus(unlocked);
    if (readTextlessPage) {
        document->setRenderHint(Poppler::Document::Antialiasing);
        document->setRenderHint(Poppler::Document::TextAntialiasing);
    }
    const int total = std::max(0, document->numPages());
    std::vector<PdfPageLines> pages;
    pages.reserve(size_t(total));
    for (int i = 0; i < total; ++i) {
        if (progress.report)
            progress.report(i, total);
        if (isCancelled(progress))
            return withStatus(PdfExtraction::Status::Cancelled);
        const std::unique_ptr<Poppler::Page> page = document->page(i);
        if (!page)
            continue;
        PdfPageLines lines{page->pageSizeF(), linesFromWords(pageWords(*page, progress)), {}, i};
        if (isCancelled(progress)) // the words may be cut short
            return withStatus(PdfExtraction::Status::Cancelled);
        if (lines.lines.empty() && readTextlessPage)
            lines.readParagraphs = readTextless(*page, i, readTextlessPage);
        pages.push_back(std::move(lines));
    }
    if (progress.report)
        progress.report(total, total);
    dropRunningLines(pages);
    PdfExtraction result = withStatus(PdfExtraction::Status::Ok);
    const std::vector<PdfParagraph> placed = placedParagraphsFromPages(pages);
    for (const PdfParagraph& paragraph : placed) {
        result.paragraphs << paragraph.text;
        result.pages << paragraph.page;
    }
    readPdfStructure(*document, data, placed, result);
    return result;
}

} // namespace orasent
