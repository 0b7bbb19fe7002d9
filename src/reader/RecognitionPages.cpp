#include "reader/RecognitionPages.h"

#include "documents/LanguageIdentifier.h"
#include "documents/PageReader.h"
#include "recognition/ImagePages.h"
#include "recognition/PictureReading.h"

namespace orasent {

namespace {

RecognitionProgress recognitionProgress(const LoadProgress& progress) {
    RecognitionProgress recognition{progress.report, progress.cancelled, {}};
    if (progress.arrived)
        recognition.arrived = [arrived = progress.arrived](const QStringList& texts) {
            QVector<Paragraph> paragraphs;
            for (const QString& text : texts)
                paragraphs.append(Paragraph{text.simplified(), Paragraph::Kind::Body, 0, {}, {}});
            arrived(paragraphs);
        };
    return recognition;
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

// A PDF's pages are read in its own language when that is installed, else the voice's.
RecognitionLanguage pageLanguage(const QString& tag) {
    const std::optional<RecognitionLanguage> own = installedLanguage(tag);
    return own ? *own : preferredRecognitionLanguage();
}

TextlessPageReader textlessPages(const QString& tag, const std::function<bool()>& cancelled) {
    return recognitionPageReader(pageLanguage(tag), cancelled);
}

TextlessPageMemory textlessMemory(const QString& tag) {
    const PageTextMemory memory = recognitionPageMemory(pageLanguage(tag));
    return TextlessPageMemory{memory.find, memory.store};
}

} // namespace

void useRecognitionForPages() {
    PageReader reader;
    reader.isPicture = [](const QString& path) { return isPictureFile(path); };
    reader.hasPictureName = [](const QString& path) { return hasPictureExtension(path); };
    reader.loadPicture = loadImageDocument;
    reader.textlessPages = textlessPages;
    reader.textlessMemory = textlessMemory;
    setPageReader(reader);
}

DocumentLoad loadImageDocument(const QString& path, const LoadProgress& progress) {
    RecognitionLanguage language = preferredRecognitionLanguage();
    PictureReading reading = recognizeImageFile(path, language, recognitionProgress(progress));
    if (reading.status != PictureReading::Status::Read)
        return failedLoad(reading);
    const QString identified = identifyLanguage(reading.paragraphs.join(QLatin1Char(' ')));
    // Read again in the language the text shows, unless its pages are already being read aloud.
    if (const auto own = installedLanguage(identified);
        own && own->code != language.code && !progress.arrived) {
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
