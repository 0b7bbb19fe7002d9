#pragma once
// Pictures and scanned pages as text: the entry points that the document loader's page reader
// and the reader's Read from Screen use. Results come from the recognition cache when the same
// content was read before in the same language.
#include "recognition/RecognitionLanguage.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orasent {

// Called from the thread that reads; both may be empty.
struct RecognitionProgress {
    std::function<void(int done, int total)> report; // pages
    std::function<bool()> cancelled;                 // true: stop as soon as possible
    // The paragraphs of the pages finished in an unbroken run from the first, in order.
    std::function<void(const QStringList& paragraphs)> arrived;
};

// Reads one page image (rendered at 300 dpi); an empty result skips the page.
using PageTextReader = std::function<QStringList(const QImage& page, int pageIndex)>;

struct PictureReading {
    enum class Status { Read, NoText, Failed, Cancelled };
    Status status = Status::Failed;
    QStringList paragraphs; // in reading order, page after page
    QString error;          // NoText and Failed: the sentence for the user
};

// Spoken when a picture holds no text.
QString noTextInPictureMessage();

// Every page of a picture file read in `language`, two pages at a time on separate engines.
// `progress` is called from the calling thread only.
PictureReading recognizeImageFile(const QString& path, const RecognitionLanguage& language,
                                  const RecognitionProgress& progress = {});
PictureReading recognizeImageData(const QByteArray& data, const RecognitionLanguage& language,
                                  const RecognitionProgress& progress = {});

// One image (a part of the screen) at `dotsPerInch`; not cached.
PictureReading recognizeImage(const QImage& image, int dotsPerInch,
                              const RecognitionLanguage& language,
                              const std::function<bool()>& cancelled = {});

// Reads the PDF pages that have no text layer (rendered at 300 dpi), with the cache; polls
// `cancelled` while a page is being recognised. Safe to call from several threads at once.
PageTextReader recognitionPageReader(const RecognitionLanguage& language,
                                     std::function<bool()> cancelled = {});

// What was read before on a PDF's textless pages, under a key made of the file and the page
// number, so that a page read once is not rendered again. Called from the reading threads.
struct PageTextMemory {
    std::function<std::optional<QStringList>(const QByteArray& key)> find;
    std::function<void(const QByteArray& key, const QStringList& paragraphs)> store;
};
// The recognition cache for PDF pages by file and page number, in `language`.
PageTextMemory recognitionPageMemory(const RecognitionLanguage& language);

} // namespace orasent
