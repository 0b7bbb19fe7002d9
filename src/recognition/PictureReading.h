#pragma once
// Pictures and scanned pages as text: the entry points that the document loader and the
// reader's Read from Screen use. Results come from the recognition cache when the same content
// was read before in the same language.
#include "documents/DocumentLoader.h"
#include "documents/PdfText.h"
#include "recognition/RecognitionLanguage.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>
#include <functional>

namespace orasent {

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
                                  const LoadProgress& progress = {});
PictureReading recognizeImageData(const QByteArray& data, const RecognitionLanguage& language,
                                  const LoadProgress& progress = {});

// One image (a part of the screen) at `dotsPerInch`; not cached.
PictureReading recognizeImage(const QImage& image, int dotsPerInch,
                              const RecognitionLanguage& language,
                              const std::function<bool()>& cancelled = {});

// A picture file as the reader's BookText, in the language of preferredRecognitionLanguage().
// Status Failed with `error` set for a picture too large or damaged, and for one without text
// (with errorSpoken); a fallback to English is the load's notice.
DocumentLoad loadImageDocument(const QString& path, const LoadProgress& progress = {});

// Reads the PDF pages that have no text layer (rendered at 300 dpi), with the cache; polls
// `cancelled` while a page is being recognised. Safe to call from several threads at once.
TextlessPageReader recognitionPageReader(const RecognitionLanguage& language,
                                         std::function<bool()> cancelled = {});
// The recognition cache for PDF pages by file and page number, in `language`.
TextlessPageMemory recognitionPageMemory(const RecognitionLanguage& language);

} // namespace orasent
