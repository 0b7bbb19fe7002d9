#include "documents/CoverImage.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QUrl>
#include <QXmlStreamReader>
#include <memory>
#include <poppler-qt6.h>
#include <zip.h>

namespace orasent {

namespace {

constexpr qint64 kMaxCoverBytes = 32 * 1024 * 1024;
constexpr qint64 kMaxUnscaledPixels = 50'000'000;

QByteArray readEntry(zip_t* archive, const QString& name) {
    zip_stat_t stat;
    const QByteArray entry = name.toUtf8();
    if (zip_stat(archive, entry.constData(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        stat.size > quint64(kMaxCoverBytes))
        return {};
    zip_file_t* file = zip_fopen(archive, entry.constData(), 0);
    if (!file)
        return {};
    QByteArray data(qsizetype(stat.size), Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, data.data(), stat.size);
    zip_fclose(file);
    return got == zip_int64_t(stat.size) ? data : QByteArray();
}

QString attribute(const QXmlStreamReader& xml, const char* name) {
    return xml.attributes().value(QLatin1String(name)).toString();
}

// The package's path, from META-INF/container.xml.
QString packagePath(zip_t* archive) {
    QXmlStreamReader xml(readEntry(archive, QStringLiteral("META-INF/container.xml")));
    while (!xml.atEnd() && !xml.hasError())
        if (xml.readNext() == QXmlStreamReader::StartElement &&
            xml.name() == QLatin1String("rootfile"))
            return attribute(xml, "full-path");
    return {};
}

// The cover's path in the archive: the manifest item marked cover-image (EPUB 3), else the one a
// <meta name="cover"> names (EPUB 2).
QString coverPath(zip_t* archive) {
    const QString package = packagePath(archive);
    if (package.isEmpty())
        return {};
    QXmlStreamReader xml(readEntry(archive, package));
    QString coverId, marked;
    QHash<QString, QString> hrefs;
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("meta") && attribute(xml, "name") == QLatin1String("cover"))
            coverId = attribute(xml, "content");
        if (xml.name() != QLatin1String("item"))
            continue;
        hrefs.insert(attribute(xml, "id"), attribute(xml, "href"));
        if (attribute(xml, "properties")
                .split(QLatin1Char(' '))
                .contains(QLatin1String("cover-image")))
            marked = attribute(xml, "href");
    }
    const QString href = marked.isEmpty() ? hrefs.value(coverId) : marked;
    if (href.isEmpty())
        return {};
    const QString folder = package.contains(QLatin1Char('/'))
                               ? package.section(QLatin1Char('/'), 0, -2) + QLatin1Char('/')
                               : QString();
    return QUrl(folder).resolved(QUrl(href)).path();
}

QByteArray epubCover(const QString& path) {
    int error = 0;
    zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!archive)
        return {};
    const QString cover = coverPath(archive);
    const QByteArray data = cover.isEmpty() ? QByteArray() : readEntry(archive, cover);
    zip_close(archive);
    return coverJpegFromImage(data);
}

QByteArray jpeg(const QImage& image) {
    if (image.isNull())
        return {};
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    const QImage opaque =
        image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : image;
    return opaque.save(&buffer, "JPEG", 85) ? out : QByteArray();
}

QByteArray pdfCover(const QString& path) {
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(path);
    if (!document || document->isLocked() || document->numPages() < 1)
        return {};
    std::unique_ptr<Poppler::Page> page = document->page(0);
    if (!page)
        return {};
    const QSizeF points = page->pageSizeF();
    const double side = qMax(points.width(), points.height());
    if (side <= 0)
        return {};
    const double dpi = 72.0 * kCoverSide / side;
    return jpeg(page->renderToImage(dpi, dpi));
}

} // namespace

QByteArray coverJpegFromImage(const QByteArray& data) {
    if (data.isEmpty())
        return {};
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return {};
    const bool scalesWhileReading = reader.supportsOption(QImageIOHandler::ScaledSize);
    if (qint64(size.width()) * size.height() > kMaxUnscaledPixels && !scalesWhileReading)
        return {};
    if (size.width() > kCoverSide || size.height() > kCoverSide)
        reader.setScaledSize(size.scaled(kCoverSide, kCoverSide, Qt::KeepAspectRatio));
    return jpeg(reader.read());
}

QByteArray coverJpegFor(const QString& documentPath) {
    const QString suffix = QFileInfo(documentPath).suffix().toLower();
    if (suffix == QLatin1String("epub"))
        return epubCover(documentPath);
    if (suffix == QLatin1String("pdf"))
        return pdfCover(documentPath);
    return {};
}

} // namespace orasent
