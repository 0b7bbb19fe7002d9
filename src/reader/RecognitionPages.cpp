#include "reader/RecognitionPages.h"

#include "documents/LanguageIdentifier.h"
#include "documents/PageReader.h"
#include "recognition/ImagePages.h"
#include "recognition/PictureReading.h"

namespace orasent {

namespace {

RecognitionProgress recognitionProgress(const LoadProgress& progress) {
    return RecognitionProgress{progress.report, progress.cancelled};
}

// The recognition data for a language tag when it is installed; none otherwise.
std::optional<RecognitionLanguage> installedLanguage(const QString& tag) {
    const QString code = tesseractLanguageFor(tag);
    if (code.isEmpty() || !isRecognitionLanguageInstalled(code))
        return std::nullopt;
    RecognitionLanguage language;
    language.code = code;
    return language;
}

DocumentLoad documentFromReading(const PictureReading& reading, const QString& language) {
    DocumentLoad load;
    load.status = DocumentLoad::Status::Loaded;
    for (const QString& text : reading.paragraphs)
        load.document.paragraphs.append(
            Paragraph{text.simplified(), Paragraph::Kind::Body, 0, {}, {}});
    load.document.metadata.language = language;
    BookTextMap map = bookTextFromDocument(load.document.paragraphs);
    load.bookText = std::move(map.bookText);
    load.paragraphStarts = std::move(map.starts);
    return load;
}

DocumentLoad failedLoad(const PictureReading& reading) {
    DocumentLoad load;
    load.status = reading.status == PictureReading::Status::Cancelled
                      ? DocumentLoad::Status::Cancelled
                      : DocumentLoad::Status::Failed;
    load.error = reading.error;
    load.errorSpoken = reading.status == PictureReading::Status::NoText;
    return load;
}

TextlessPageReader textlessPages(const QString& tag, const std::function<bool()>& cancelled) {
    const std::optional<RecognitionLanguage> own = installedLanguage(tag);
    return recognitionPageReader(own ? *own : preferredRecognitionLanguage(), cancelled);
}

} // namespace

void useRecognitionForPages() {
    PageReader reader;
    reader.isPicture = [](const QString& path) { return isPictureFile(path); };
    reader.hasPictureName = [](const QString& path) { return hasPictureExtension(path); };
    reader.loadPicture = loadImageDocument;
    reader.textlessPages = textlessPages;
    setPageReader(reader);
}

DocumentLoad loadImageDocument(const QString& path, const LoadProgress& progress) {
    RecognitionLanguage language = preferredRecognitionLanguage();
    PictureReading reading = recognizeImageFile(path, language, recognitionProgress(progress));
    if (reading.status != PictureReading::Status::Read)
        return failedLoad(reading);
    const QString identified = identifyLanguage(reading.paragraphs.join(QLatin1Char(' ')));
    if (const auto own = installedLanguage(identified); own && own->code != language.code) {
        PictureReading again = recognizeImageFile(path, *own, recognitionProgress(progress));
        if (again.status == PictureReading::Status::Cancelled)
            return failedLoad(again);
        if (again.status == PictureReading::Status::Read) {
            reading = std::move(again);
            language = *own;
        }
    }
    DocumentLoad load = documentFromReading(reading, identified);
    load.notice = takeFallbackNoticeOnce(language);
    return load;
}

} // namespace orasent
