#include "documents/OfficeText.h"

#include "documents/NotePlacement.h"
#include "documents/OfficeReader.h"
#include "documents/OfficeStyles.h"
#include "documents/ZipArchive.h"

#include <algorithm>

namespace orasent {

namespace {

// A part that may be absent: empty then. False when it is present but cannot be unpacked.
bool readOptional(ZipArchive& zip, const QString& name, QByteArray* out,
                  Extraction::Status* status) {
    const Extraction::Status read = zip.read(name, out);
    if (read == Extraction::Status::Ok || read == Extraction::Status::PartsMissing)
        return true;
    *status = read;
    return false;
}

Extraction failure(Extraction::Status status) {
    Extraction result;
    result.status = status;
    return result;
}

// The main part, then its notes placed at the ends of their chapters.
Extraction readBody(const QByteArray& xml, OfficeReader& reader, ParagraphCollector& out,
                    const QHash<QString, QVector<Paragraph>>& noteBodies) {
    const Extraction::Status status = reader.read(xml);
    if (status != Extraction::Status::Ok)
        return failure(status);
    Extraction result = out.finish();
    QVector<PlacedNote> notes = reader.notes();
    for (const OfficeReader::NoteReference& ref : reader.noteReferences())
        if (noteBodies.contains(ref.id))
            notes.append(PlacedNote{ref.paragraph, noteBodies.value(ref.id)});
    std::stable_sort(notes.begin(), notes.end(), [](const PlacedNote& a, const PlacedNote& b) {
        return a.paragraph < b.paragraph;
    });
    if (!notes.isEmpty())
        result.paragraphs = withNotesAtChapterEnds(result.paragraphs, notes);
    return result;
}

// word/footnotes.xml or word/endnotes.xml: each note's paragraphs by "f1", "e1" (kind, id).
Extraction::Status readWordNotes(ZipArchive& zip, const QString& part, QChar kind,
                                 const OfficeStyles& styles, const LoadProgress& progress,
                                 QHash<QString, QVector<Paragraph>>& bodies) {
    QByteArray xml;
    Extraction::Status status = Extraction::Status::Ok;
    if (!readOptional(zip, part, &xml, &status) || xml.isEmpty())
        return status;
    ParagraphCollector out(progress);
    OfficeReader reader(OfficeReader::Format::Word, styles, out);
    status = reader.read(xml);
    if (status != Extraction::Status::Ok)
        return status;
    const QVector<Paragraph> paragraphs = out.finish().paragraphs;
    for (const OfficeReader::NoteRange& range : reader.noteRanges())
        bodies.insert(kind + range.id, paragraphs.mid(range.first, range.end - range.first));
    return Extraction::Status::Ok;
}

bool isEncryptedOdf(const QByteArray& manifest) {
    return manifest.contains("encryption-data");
}

void reportStep(const LoadProgress& progress, int done) {
    if (progress.report)
        progress.report(done, 1);
}

} // namespace

Extraction docxXmlParagraphs(const QByteArray& xml, const LoadProgress& progress) {
    ParagraphCollector out(progress);
    OfficeReader reader(OfficeReader::Format::Word, OfficeStyles(), out);
    return readBody(xml, reader, out, {});
}

Extraction odtXmlParagraphs(const QByteArray& xml, const LoadProgress& progress) {
    ParagraphCollector out(progress);
    OfficeReader reader(OfficeReader::Format::Odf, OfficeStyles(), out);
    return readBody(xml, reader, out, {});
}

Extraction extractDocxParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    ZipArchive zip(archive);
    QByteArray document, styleXml, properties;
    Extraction::Status status = zip.read(QStringLiteral("word/document.xml"), &document);
    if (status != Extraction::Status::Ok)
        return failure(status == Extraction::Status::PartsMissing ? Extraction::Status::Corrupt
                                                                  : status);
    if (!readOptional(zip, QStringLiteral("word/styles.xml"), &styleXml, &status) ||
        !readOptional(zip, QStringLiteral("docProps/core.xml"), &properties, &status))
        return failure(status);
    reportStep(progress, 0);
    const OfficeStyles styles = readWordStyles(styleXml);
    QHash<QString, QVector<Paragraph>> notes;
    status =
        readWordNotes(zip, QStringLiteral("word/footnotes.xml"), u'f', styles, progress, notes);
    if (status == Extraction::Status::Ok)
        status =
            readWordNotes(zip, QStringLiteral("word/endnotes.xml"), u'e', styles, progress, notes);
    if (status != Extraction::Status::Ok)
        return failure(status);
    ParagraphCollector out(progress);
    OfficeReader reader(OfficeReader::Format::Word, styles, out);
    Extraction result = readBody(document, reader, out, notes);
    result.metadata = readDocumentProperties(properties);
    if (result.metadata.language.isEmpty())
        result.metadata.language = styles.defaultLanguage;
    reportStep(progress, 1);
    return result;
}

Extraction extractOdtParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    ZipArchive zip(archive);
    QByteArray content, styleXml, meta, manifest;
    Extraction::Status status = Extraction::Status::Ok;
    if (!readOptional(zip, QStringLiteral("META-INF/manifest.xml"), &manifest, &status))
        return failure(status);
    if (isEncryptedOdf(manifest))
        return failure(Extraction::Status::PasswordProtected);
    status = zip.read(QStringLiteral("content.xml"), &content);
    if (status != Extraction::Status::Ok)
        return failure(status == Extraction::Status::PartsMissing ? Extraction::Status::Corrupt
                                                                  : status);
    if (!readOptional(zip, QStringLiteral("styles.xml"), &styleXml, &status) ||
        !readOptional(zip, QStringLiteral("meta.xml"), &meta, &status))
        return failure(status);
    reportStep(progress, 0);
    const OfficeStyles styles = readOdfStyles({styleXml, content});
    ParagraphCollector out(progress);
    OfficeReader reader(OfficeReader::Format::Odf, styles, out);
    Extraction result = readBody(content, reader, out, {});
    result.metadata = readDocumentProperties(meta);
    if (result.metadata.language.isEmpty())
        result.metadata.language = styles.defaultLanguage;
    reportStep(progress, 1);
    return result;
}

bool isEncryptedOfficeFile(const QByteArray& data) {
    // An OLE compound file holding an "EncryptedPackage" stream (its name in UTF-16).
    static const QByteArray oleMagic("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    static const QByteArray stream = [] {
        QByteArray utf16le;
        for (const char c : QByteArrayView("EncryptedPackage"))
            utf16le.append(c).append('\0');
        return utf16le;
    }();
    return data.startsWith(oleMagic) && data.contains(stream);
}

} // namespace orasent
