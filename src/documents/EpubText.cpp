#include "documents/EpubText.h"

#include "documents/MarkupText.h"
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
    QXmlStreamReader xml(bytes);
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

// The spine's chapters in reading order; items marked linear="no" (notes, pop-ups) are left out.
Status readSpine(ZipArchive& zip, const QString& packagePath, QList<Chapter>* chapters,
                 int* unknownItems) {
    QHash<QString, Chapter> manifest;
    QStringList spine;
    const Status status = readXmlPart(zip, packagePath, [&](QXmlStreamReader& xml) {
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"item") {
            manifest.insert(
                attributes.value(QLatin1String("id")).toString(),
                Chapter{resolveArchivePath(packagePath,
                                           attributes.value(QLatin1String("href")).toString()),
                        attributes.value(QLatin1String("media-type")).toString()});
        } else if (xml.name() == u"itemref" && attributes.value(QLatin1String("linear")) != u"no") {
            spine.append(attributes.value(QLatin1String("idref")).toString());
        }
    });
    if (status != Status::Ok)
        return status;
    for (const QString& id : std::as_const(spine)) {
        const auto found = manifest.constFind(id);
        if (found == manifest.constEnd() || found->path.isEmpty())
            ++*unknownItems; // not in the manifest, or pointing outside the archive
        else
            chapters->append(*found);
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

} // namespace

Extraction extractEpubParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    ZipArchive zip(archive);
    if (!zip.isOpen())
        return Extraction{Status::Corrupt, {}, 0, {}, {}};
    QString packagePath;
    QList<Chapter> chapters;
    int missing = 0;
    Status status = findPackage(zip, &packagePath);
    if (status == Status::Ok)
        status = readSpine(zip, packagePath, &chapters, &missing);
    if (status != Status::Ok)
        return Extraction{status, {}, 0, {}, {}};

    const QSet<QString> locked = protectedParts(zip);
    for (const Chapter& chapter : std::as_const(chapters))
        if (locked.contains(chapter.path))
            return Extraction{Status::Locked, {}, 0, {}, {}};

    ParagraphCollector out(progress);
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
        if (status == Status::Ok)
            status = collectXhtml(bytes, out);
        if (status != Status::Ok)
            return Extraction{status, {}, 0, {}, {}};
        out.handOverFinished();
        ++read;
    }
    if (progress.report)
        progress.report(int(chapters.size()), int(chapters.size()));
    if (read == 0 && missing > 0 && !out.stopped())
        return Extraction{Status::PartsMissing, {}, missing, {}, {}};
    Extraction result = out.finish();
    result.skippedParts = missing;
    return result;
}

} // namespace orasent
