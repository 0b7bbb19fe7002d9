#include "recognition/ImagePages.h"

#include "recognition/PageRecognizer.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QLocale>

namespace orasent {

namespace {
// A decoded page may take four bytes per pixel, and a little more for the decoder.
constexpr int kAllocationLimitMiB = int(kMaxPagePixels * 4 / (1024 * 1024)) + 64;

// "BM", then zero reserved bytes and a known header size: a text starting "BMW" is no bitmap.
bool isBmpHeader(const QByteArray& head) {
    if (head.size() < 18 || !head.startsWith("BM") || head.mid(6, 4) != QByteArray(4, '\0'))
        return false;
    const int headerSize = quint8(head[14]) | quint8(head[15]) << 8;
    return head[16] == '\0' && head[17] == '\0' &&
           (headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 ||
            headerSize == 64 || headerSize == 108 || headerSize == 124);
}

QByteArray formatOf(const QByteArray& head) {
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (head.startsWith("\xff\xd8\xff"))
        return "jpeg";
    if (head.startsWith("II*\0") || head.startsWith(QByteArray("MM\0*", 4)))
        return "tiff";
    if (isBmpHeader(head))
        return "bmp";
    if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
        return "webp";
    return {};
}

bool sizeAllowed(const QSize& size) {
    return size.isValid() && qint64(size.width()) * size.height() <= kMaxPagePixels;
}
} // namespace

bool looksLikePicture(const QByteArray& head) {
    return !formatOf(head).isEmpty();
}

bool isPictureFile(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && looksLikePicture(file.read(32)))
        return true;
    return hasPictureExtension(path);
}

bool hasPictureExtension(const QString& path) {
    static const char* const kEndings[] = {".png",  ".jpg", ".jpeg", ".tif",
                                           ".tiff", ".bmp", ".webp"};
    for (const char* ending : kEndings)
        if (path.endsWith(QLatin1String(ending), Qt::CaseInsensitive))
            return true;
    return false;
}

QString pictureTooLargeMessage(const QSize& size) {
    const QLocale c(QLocale::English); // "20,000"
    return QStringLiteral("This picture is too large to read: %1 by %2 pixels. Pictures of up "
                          "to 100 million pixels can be read.")
        .arg(c.toString(size.width()), c.toString(size.height()));
}

QString pictureUnreadableMessage() {
    return QStringLiteral("This picture file is damaged or incomplete and cannot be read.");
}

ImagePages::ImagePages(const QByteArray& data) : m_data(data), m_format(formatOf(data.left(32))) {
    if (m_format.isEmpty()) {
        m_error = pictureUnreadableMessage();
        return;
    }
    QBuffer buffer(&m_data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_format);
    m_pageCount = m_format == "tiff" ? std::max(1, reader.imageCount()) : 1;
    if (m_pageCount > kMaxPicturePages) {
        m_error = QStringLiteral("This picture file has %1 pages; up to %2 can be read.")
                      .arg(m_pageCount)
                      .arg(kMaxPicturePages);
        return;
    }
    if (!reader.canRead()) {
        m_error = pictureUnreadableMessage();
        return;
    }
    const QSize first = reader.size();
    if (first.isValid() && !sizeAllowed(first))
        m_error = pictureTooLargeMessage(first);
}

QImage ImagePages::page(int index, QString* error) const {
    const auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return QImage();
    };
    if (!isValid())
        return fail(m_error);
    if (index < 0 || index >= m_pageCount)
        return fail(pictureUnreadableMessage());
    QByteArray data = m_data; // shared, read only
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, m_format);
    reader.setAllocationLimit(kAllocationLimitMiB);
    if (index > 0 && !reader.jumpToImage(index))
        return fail(pictureUnreadableMessage());
    const QSize size = reader.size();
    if (size.isValid() && !sizeAllowed(size))
        return fail(pictureTooLargeMessage(size));
    QImage image = reader.read();
    if (image.isNull())
        return fail(pictureUnreadableMessage());
    if (!sizeAllowed(image.size()))
        return fail(pictureTooLargeMessage(image.size()));
    return image;
}

// A resolution from the file counts from 100 dpi (cameras write 72 for any photo). Without one,
// a small picture is taken for a screenshot or a coarse scan (150 dpi: enlarged), else 300.
int ImagePages::dotsPerInch(const QImage& page) {
    const int stored = int(page.dotsPerMeterX() * 0.0254 + 0.5);
    if (stored >= 100 && stored <= 2400)
        return stored;
    return std::max(page.width(), page.height()) <= 2000 ? 150 : 300;
}

} // namespace orasent
