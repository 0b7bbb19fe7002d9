#include "documents/EpubText.h"

#include "documents/EpubContents.h"
#include "documents/MarkupText.h"
#include "documents/XmlEntities.h"
#include "documents/ZipArchive.h"

#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

namespace orasent {

namespace {

using Status = Extraction::Status;

struct Chapter {
    QString path;
    QString mediaType;
};

// Reads a small XML part (container, package), calling `onElement` for each start element.
template <typename OnElement>
Status readXmlPart(ZipArchive& zip, const QString& name, OnElement onElement) {
    QByteArray bytes;
    const Status status = zip.read(name, &bytes);
    if (status != Status::Ok)
        return status == Status::PartsMissing ? Status::Corrupt : status;
    QByteArray expanded;
    const EntityExpansion expansion = expandDeclaredEntities(bytes, &expanded);
    if (expansion == EntityExpansion::Refused)
        return Status::Entities;
    QXmlStreamReader xml(expansion == EntityExpansion::Expanded ? expanded : bytes);
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty())
            return Status::Entities;
        if (token == QXmlStreamReader::StartElement)
            onElement(xml);
    }
    return xml.hasError() ? Status::Corrupt : Status::Ok;
}

// The package document's path: the first rootfile of META-INF/container.xml.
Status findPackage(ZipArchive& zip, QString* packagePath) {
    const Status status = readXmlPart(
        zip, QStringLiteral("META-INF/container.xml"), [packagePath](QXmlStreamReader& xml) {
            if (packagePath->isEmpty() && xml.name() == u"rootfile")
                *packagePath = xml.attributes().value(QLatin1String("full-path")).toString();
        });
    if (status == Status::Ok && resolveArchivePath(QString(), *packagePath).isEmpty())
        return Status::Corrupt;
    *packagePath = resolveArchivePath(QString(), *packagePath);
    return status;
}

struct Package {
    QList<Chapter> chapters;
    QString navPath;          // EPUB 3 navigation document
    QString ncxPath;          // EPUB 2 table of contents
    QStringList lexiconPaths; // EPUB 3 pronunciation lexicons (PLS)
    DocumentMetadata metadata;
};

constexpr int kMostLexicons = 16;
constexpr qsizetype kMostLexiconBytes = 8 * 1024 * 1024;

// The Dublin Core fields of the package's metadata; the identifier the package names as its
// unique one, else the first.
void readMetadataField(QXmlStreamReader& xml, const QString& uniqueId, DocumentMetadata* meta) {
    const QStringView name = xml.name();
    const bool unique =
        !uniqueId.isEmpty() && xml.attributes().value(QLatin1String("id")) == uniqueId;
    QString* field = name == u"title"        ? &meta->title
                     : name == u"creator"    ? &meta->author
                     : name == u"language"   ? &meta->language
                     : name == u"identifier" ? &meta->identifier
                                             : nullptr;
    if (!field || (!field->isEmpty() && !(unique && name == u"identifier")))
        return;
    const QString text =
        xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified().left(1000);
    *field = name == u"language" ? cleanLanguageTag(text) : text;
}

// The spine's chapters in reading order; items marked linear="no" (notes, pop-ups) are left out.
Status readPackage(ZipArchive& zip, const QString& packagePath, Package* package,
                   int* unknownItems) {
    QHash<QString, Chapter> manifest;
    QStringList spine;
    QString uniqueId;
    QString ncxId;
    const Status status = readXmlPart(zip, packagePath, [&](QXmlStreamReader& xml) {
        const QXmlStreamAttributes attributes = xml.attributes();
        const auto value = [&attributes](const char* key) {
            return attributes.value(QLatin1String(key)).toString();
        };
        if (xml.name() == u"package") {
            uniqueId = value("unique-identifier");
        } else if (xml.namespaceUri() == u"http://purl.org/dc/elements/1.1/") {
            readMetadataField(xml, uniqueId, &package->metadata);
        } else if (xml.name() == u"item") {
            const Chapter item{resolveArchivePath(packagePath, value("href")), value("media-type")};
            manifest.insert(value("id"), item);
            if (item.mediaType == QLatin1String("application/pls+xml") && !item.path.isEmpty() &&
                package->lexiconPaths.size() < kMostLexicons)
                package->lexiconPaths.append(item.path);
            if (value("properties").split(QLatin1Char(' ')).contains(QLatin1String("nav")))
                package->navPath = item.path;
        } else if (xml.name() == u"spine") {
            ncxId = value("toc");
        } else if (xml.name() == u"itemref" && value("linear") != QLatin1String("no")) {
            spine.append(value("idref"));
        }
    });
    if (status != Status::Ok)
        return status;
    package->ncxPath = manifest.value(ncxId).path;
    for (const QString& id : std::as_const(spine)) {
        const auto found = manifest.constFind(id);
        if (found == manifest.constEnd() || found->path.isEmpty())
            ++*unknownItems; // not in the manifest, or pointing outside the archive
        else
            package->chapters.append(*found);
    }
    return Status::Ok;
}

// Parts encrypted by copy protection (DRM), from META-INF/encryption.xml. Font obfuscation is
// not protection of the text and is left out.
QSet<QString> protectedParts(ZipArchive& zip) {
    QSet<QString> parts;
    const QString name = QStringLiteral("META-INF/encryption.xml");
    if (!zip.contains(name))
        return parts;
    QString algorithm;
    readXmlPart(zip, name, [&](QXmlStreamReader& xml) {
        if (xml.name() == u"EncryptedData")
            algorithm.clear();
        else if (xml.name() == u"EncryptionMethod")
            algorithm = xml.attributes().value(QLatin1String("Algorithm")).toString();
        else if (xml.name() == u"CipherReference" &&
                 algorithm != QLatin1String("http://www.idpf.org/2008/embedding") &&
                 algorithm != QLatin1String("http://ns.adobe.com/pdf/enc#RC"))
            parts.insert(resolveArchivePath(
                QString(), xml.attributes().value(QLatin1String("URI")).toString()));
    });
    return parts;
}

bool isMarkup(const QString& mediaType) {
    return mediaType == QLatin1String("application/xhtml+xml") ||
           mediaType == QLatin1String("text/html") || mediaType.isEmpty();
}

// The book's own contents, mapped onto the paragraphs read; empty when it has none.
QVector<ContentsEntry> bookContents(ZipArchive& zip, const Package& package,
                                    const QHash<QString, int>& anchors, int paragraphCount) {
    QByteArray bytes;
    QVector<ContentsTarget> targets;
    if (!package.navPath.isEmpty() && zip.read(package.navPath, &bytes) == Status::Ok)
        targets = readNavContents(bytes, package.navPath);
    if (targets.isEmpty() && !package.ncxPath.isEmpty() &&
        zip.read(package.ncxPath, &bytes) == Status::Ok)
        targets = readNcxContents(bytes, package.ncxPath);
    return mapContents(targets, anchors, paragraphCount);
}

// The lexicons' bytes as the package holds them; one that is missing or too large is left out
// (speech reads them, and refuses what it cannot read).
QList<QByteArray> readLexicons(ZipArchive& zip, const QStringList& paths) {
    QList<QByteArray> lexicons;
    for (const QString& path : paths) {
        QByteArray bytes;
        if (zip.read(path, &bytes) == Status::Ok && bytes.size() <= kMostLexiconBytes)
            lexicons.append(bytes);
    }
    return lexicons;
}

} // namespace

Extraction extractEpubParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    ZipArchive zip(archive);
    if (!zip.isOpen())
        return Extraction{Status::Corrupt, {}, 0, {}, {}};
    QString packagePath;
    Package package;
    int missing = 0;
    Status status = findPackage(zip, &packagePath);
    if (status == Status::Ok)
        status = readPackage(zip, packagePath, &package, &missing);
    if (status != Status::Ok)
        return Extraction{status, {}, 0, {}, {}};
    const QList<Chapter>& chapters = package.chapters;

    const QSet<QString> locked = protectedParts(zip);
    for (const Chapter& chapter : chapters)
        if (locked.contains(chapter.path))
            return Extraction{Status::Locked, {}, 0, {}, {}};

    ParagraphCollector out(progress);
    QHash<QString, int> anchors;
    QString language = package.metadata.language;
    int read = 0;
    for (qsizetype i = 0; i < chapters.size() && !out.stopped(); ++i) {
        if (progress.report)
            progress.report(int(i), int(chapters.size()));
        if (progress.cancelled && progress.cancelled())
            return Extraction{Status::Cancelled, {}, 0, {}, {}};
        if (!isMarkup(chapters[i].mediaType))
            continue; // a picture or other non-text page
        QByteArray bytes;
        status = zip.read(chapters[i].path, &bytes);
        if (status == Status::PartsMissing) {
            ++missing;
            continue;
        }
        MarkupCollector markup(out, chapters[i].path, language);
        if (status == Status::Ok)
            status = collectXhtml(bytes, out, markup);
        if (status != Status::Ok)
            return Extraction{status, {}, 0, {}, {}};
        language = markup.documentLanguage();
        for (auto it = markup.anchors().cbegin(); it != markup.anchors().cend(); ++it)
            anchors.insert(it.key(), it.value());
        out.handOverFinished();
        ++read;
    }
    if (progress.report)
        progress.report(int(chapters.size()), int(chapters.size()));
    if (read == 0 && missing > 0 && !out.stopped())
        return Extraction{Status::PartsMissing, {}, missing, {}, {}};
    Extraction result = out.finish();
    result.skippedParts = missing;
    result.metadata = package.metadata;
    result.metadata.language = language;
    result.metadata.lexicons = readLexicons(zip, package.lexiconPaths);
    result.contents = bookContents(zip, package, anchors, int(result.paragraphs.size()));
    return result;
}

} // namespace orasent
