#include "documents/DocumentLoader.h"

#include "documents/BookTextLoader.h"
#include "documents/EpubText.h"
#include "documents/Extraction.h"
#include "documents/LanguageIdentifier.h"
#include "documents/MarkdownText.h"
#include "documents/MarkupText.h"
#include "documents/OfficeText.h"
#include "documents/PageReader.h"
#include "documents/PdfText.h"
#include "documents/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace orasent {

namespace {

enum class Kind { Text, Pdf, Epub, Docx, Odt, Html, Xhtml, Markdown };

struct Extension {
    const char* suffix;
    Kind kind;
};
constexpr Extension kExtensions[] = {
    {".epub", Kind::Epub},   {".pdf", Kind::Pdf},     {".docx", Kind::Docx},
    {".odt", Kind::Odt},     {".html", Kind::Html},   {".htm", Kind::Html},
    {".xhtml", Kind::Xhtml}, {".md", Kind::Markdown}, {".markdown", Kind::Markdown},
};

Kind kindFromExtension(const QString& path) {
    for (const Extension& e : kExtensions)
        if (path.endsWith(QLatin1String(e.suffix), Qt::CaseInsensitive))
            return e.kind;
    return Kind::Text;
}

std::int64_t maxFileBytes(Kind kind) {
    const bool markup = kind == Kind::Html || kind == Kind::Xhtml || kind == Kind::Markdown;
    return markup ? limits::kMaxMarkupFileBytes : limits::kMaxDocumentFileBytes;
}

bool isArchiveKind(Kind kind) {
    return kind == Kind::Epub || kind == Kind::Docx || kind == Kind::Odt;
}

// The kind a zip archive declares: its "mimetype" entry, or Word's content types and body.
Kind kindFromArchive(const QByteArray& data) {
    ZipArchive zip(data);
    if (!zip.isOpen())
        return Kind::Text;
    QByteArray mimetype;
    if (zip.read(QStringLiteral("mimetype"), &mimetype) == Extraction::Status::Ok) {
        mimetype = mimetype.trimmed();
        if (mimetype == "application/epub+zip")
            return Kind::Epub;
        if (mimetype == "application/vnd.oasis.opendocument.text" ||
            mimetype == "application/vnd.oasis.opendocument.text-template")
            return Kind::Odt;
    }
    if (zip.contains(QStringLiteral("[Content_Types].xml")) &&
        zip.contains(QStringLiteral("word/document.xml")))
        return Kind::Docx;
    return Kind::Text;
}

QString passwordProtectedMessage() {
    return QStringLiteral("This document is protected with a password and can not be read.");
}

// How a kind is named in messages.
QString kindName(Kind kind) {
    switch (kind) {
    case Kind::Pdf:
        return QStringLiteral("PDF");
    case Kind::Epub:
        return QStringLiteral("e-book");
    case Kind::Docx:
        return QStringLiteral("Word document");
    case Kind::Odt:
        return QStringLiteral("OpenDocument text");
    case Kind::Markdown:
        return QStringLiteral("Markdown file");
    default:
        return QStringLiteral("web page");
    }
}

QString failureMessage(Extraction::Status status, Kind kind) {
    using Status = Extraction::Status;
    const QString name = kindName(kind);
    switch (status) {
    case Status::Locked:
        return QStringLiteral("This %1 is locked with a password or copy protection.").arg(name);
    case Status::TooLarge:
        return QStringLiteral("This %1 unpacks to more than Orasent reads: over 256 megabytes "
                              "for one part or one gigabyte in all.")
            .arg(name);
    case Status::ZipBomb:
        return QStringLiteral("This %1 is packed more tightly than any real document, so it "
                              "is not unpacked.")
            .arg(name);
    case Status::TextLimit:
        return QStringLiteral("This %1 holds more than 64 million characters of text, more "
                              "than Orasent reads.")
            .arg(name);
    case Status::Entities:
        return QStringLiteral("This %1 declares its own XML entities in a way Orasent does "
                              "not read, for safety.")
            .arg(name);
    case Status::PartsMissing:
        return QStringLiteral("This %1 names chapters that are not in the file, so there is "
                              "nothing to read.")
            .arg(name);
    case Status::PasswordProtected:
        return passwordProtectedMessage();
    default:
        return QStringLiteral("This %1 is damaged or incomplete and can not be read.").arg(name);
    }
}

Extraction fromPdf(const QByteArray& data, const LoadProgress& progress) {
    // Pages without a text layer are recognised, in the PDF's language when it declares one.
    const PageReader reader = pageReader();
    const QString language = declaredPdfLanguage(data);
    const TextlessPageReader readTextless = reader.textlessPages
                                                ? reader.textlessPages(language, progress.cancelled)
                                                : TextlessPageReader();
    const TextlessPageMemory memory =
        reader.textlessMemory ? reader.textlessMemory(language) : TextlessPageMemory();
    PdfExtraction pdf = extractPdfParagraphs(data, progress, readTextless, memory);
    Extraction result;
    switch (pdf.status) {
    case PdfExtraction::Status::Ok:
        for (qsizetype i = 0; i < pdf.paragraphs.size(); ++i) {
            const int level = pdf.headingLevels.value(i);
            result.paragraphs.append(
                Paragraph{std::move(pdf.paragraphs[i]),
                          level ? Paragraph::Kind::Heading : Paragraph::Kind::Body,
                          level,
                          {},
                          QStringLiteral("page %1").arg(pdf.pages.value(i) + 1)});
        }
        result.metadata = pdf.metadata;
        result.contents = pdf.contents;
        break;
    case PdfExtraction::Status::Locked:
        result.status = Extraction::Status::Locked;
        break;
    case PdfExtraction::Status::Cancelled:
        result.status = Extraction::Status::Cancelled;
        break;
    case PdfExtraction::Status::Unreadable:
        result.status = Extraction::Status::Corrupt;
        break;
    }
    return result;
}

Extraction extract(Kind kind, const QByteArray& data, const LoadProgress& progress) {
    switch (kind) {
    case Kind::Pdf:
        return fromPdf(data, progress);
    case Kind::Epub:
        return extractEpubParagraphs(data, progress);
    case Kind::Docx:
        return extractDocxParagraphs(data, progress);
    case Kind::Odt:
        return extractOdtParagraphs(data, progress);
    case Kind::Html:
        return extractHtmlParagraphs(data, progress);
    case Kind::Xhtml:
        return extractXhtmlParagraphs(data, progress);
    default:
        return extractMarkdownParagraphs(data, progress);
    }
}

DocumentLoad loadPlainText(const QString& path) {
    DocumentLoad load;
    if (!loadBookText(path, &load.bookText, nullptr, &load.paragraphStarts)) {
        load.status = DocumentLoad::Status::Failed;
        return load;
    }
    load.status = DocumentLoad::Status::Loaded;
    // Only blanks, line ends or nothing: nothing would ever be shown or spoken.
    if (load.paragraphStarts.isEmpty()) {
        load.status = DocumentLoad::Status::Failed;
        load.error = QStringLiteral("This text file holds no text to read.");
    }
    return load;
}

DocumentLoad failed(const QString& message) {
    DocumentLoad load;
    load.error = message;
    return load;
}

// The file's kind from its first bytes, then from its extension; null data for plain text.
Kind detectKind(const QString& path, QFile& file, QByteArray* data) {
    const QByteArray head = file.peek(1024);
    const Kind byExtension = kindFromExtension(path);
    const bool pdf = head.startsWith("%PDF-");
    const bool zip = head.startsWith("PK\x03\x04") || head.startsWith("PK\x05\x06");
    if (!pdf && !zip && byExtension == Kind::Text)
        return Kind::Text;
    if (file.size() > maxFileBytes(pdf || zip ? Kind::Pdf : byExtension))
        return pdf ? Kind::Pdf : byExtension; // refused below, before reading
    *data = file.readAll();
    if (pdf)
        return Kind::Pdf;
    if (zip) {
        const Kind declared = kindFromArchive(*data);
        if (declared != Kind::Text)
            return declared;
    }
    return byExtension;
}

// A document that names no language anywhere.
bool declaresLanguage(const Document& document) {
    if (!document.metadata.language.isEmpty())
        return true;
    return std::any_of(document.paragraphs.begin(), document.paragraphs.end(),
                       [](const Paragraph& p) { return !p.language.isEmpty(); });
}

bool hasPictureName(const QString& path) {
    const PageReader reader = pageReader();
    return reader.hasPictureName && reader.hasPictureName(path);
}

} // namespace

DocumentLoad loadDocument(const QString& path, const LoadProgress& progress) {
    if (const PageReader reader = pageReader(); reader.isPicture && reader.isPicture(path))
        return reader.loadPicture(path, progress);
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return loadPlainText(path); // its failure, exactly as before
    QByteArray data;
    const Kind kind = detectKind(path, file, &data);
    if (kind == Kind::Text)
        return loadPlainText(path);
    if (file.size() > maxFileBytes(kind))
        return failed(QStringLiteral("This %1 is larger than %2 megabytes, more than Orasent "
                                     "reads.")
                          .arg(kindName(kind))
                          .arg(maxFileBytes(kind) >> 20));
    if (file.error() != QFileDevice::NoError || data.size() != file.size())
        return failed(QString()); // a read error: the "Error loading file" box
    if (isArchiveKind(kind) && isEncryptedOfficeFile(data))
        return failed(passwordProtectedMessage());
    if (isArchiveKind(kind) && !ZipArchive(data).isOpen())
        return failed(failureMessage(Extraction::Status::Corrupt, kind));

    const Extraction extraction = extract(kind, data, progress);
    DocumentLoad load;
    if (extraction.status == Extraction::Status::Cancelled) {
        load.status = DocumentLoad::Status::Cancelled;
        return load;
    }
    if (extraction.status != Extraction::Status::Ok)
        return failed(failureMessage(extraction.status, kind));
    BookTextMap map = bookTextFromDocument(extraction.paragraphs);
    load.bookText = std::move(map.bookText);
    load.paragraphStarts = std::move(map.starts);
    load.document.paragraphs = extraction.paragraphs;
    load.document.metadata = extraction.metadata;
    load.document.contents = extraction.contents.isEmpty()
                                 ? contentsFromHeadings(extraction.paragraphs)
                                 : extraction.contents;
    if (!declaresLanguage(load.document))
        load.document.metadata.language = identifyLanguage(load.bookText);
    if (load.bookText.isEmpty())
        return failed(QStringLiteral("This %1 holds no text to read.").arg(kindName(kind)));
    load.status = DocumentLoad::Status::Loaded;
    if (extraction.skippedParts == 1)
        load.notice = QStringLiteral("One chapter of this %1 is missing from the file and was "
                                     "left out.")
                          .arg(kindName(kind));
    else if (extraction.skippedParts > 1)
        load.notice = QStringLiteral("%1 chapters of this %2 are missing from the file and were "
                                     "left out.")
                          .arg(extraction.skippedParts)
                          .arg(kindName(kind));
    return load;
}

QVector<Paragraph> paragraphTexts(const DocumentLoad& load) {
    if (!load.document.paragraphs.isEmpty() || load.paragraphStarts.isEmpty())
        return load.document.paragraphs;
    QVector<Paragraph> paragraphs;
    paragraphs.reserve(load.paragraphStarts.size());
    const QVector<qsizetype>& starts = load.paragraphStarts;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const qsizetype end = i + 1 < starts.size() ? starts.at(i + 1) : load.bookText.size();
        Paragraph paragraph;
        paragraph.text = load.bookText.mid(starts.at(i), end - starts.at(i)).trimmed();
        paragraphs.append(std::move(paragraph));
    }
    return paragraphs;
}

bool isReadablePath(const QString& path) {
    return path.toUpper().contains(QLatin1String(".TXT")) ||
           kindFromExtension(path) != Kind::Text || hasPictureName(path);
}

QString readableTypesMessage() {
    return QStringLiteral("Can not read this file type. Can read text files, EPUB e-books, PDF "
                          "files, Word and OpenDocument documents, web pages, Markdown files and "
                          "pictures.");
}

} // namespace orasent
