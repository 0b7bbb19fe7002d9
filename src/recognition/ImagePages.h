#pragma once
// The pages of a picture file (PNG, JPEG, TIFF with every page, BMP, WebP) decoded one at a
// time, with the size checked from the header before any decoding.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace orasent {

// The picture kinds read, by their content's first bytes.
bool looksLikePicture(const QByteArray& head);
// By the name's ending, in any letter case: .png .jpg .jpeg .tif .tiff .bmp .webp
bool hasPictureExtension(const QString& path);
// A picture by its content first, else by its name (a damaged picture is still one).
bool isPictureFile(const QString& path);

// Files past this are refused before they are read: 200 MB.
constexpr qint64 kMaxPictureFileBytes = 200LL * 1024 * 1024;
// More pages are refused: a TIFF of 5,000 pages.
constexpr int kMaxPicturePages = 5000;

class ImagePages {
public:
    // `data` must outlive nothing: it is shared, not copied.
    explicit ImagePages(const QByteArray& data);

    bool isValid() const { return m_error.isEmpty(); }
    // A sentence for the user when the file cannot be read.
    QString error() const { return m_error; }
    int pageCount() const { return m_pageCount; }
    QString format() const { return QString::fromLatin1(m_format); }

    // Page `index` (0-based), or a null image with `error` set. Each call decodes anew, so
    // separate threads may each hold an ImagePages over the same data.
    QImage page(int index, QString* error = nullptr) const;
    // The resolution to read a page at, in dots per inch: the file's, or a guess from its size.
    static int dotsPerInch(const QImage& page);

private:
    QByteArray m_data;
    QByteArray m_format;
    int m_pageCount = 0;
    QString m_error;
};

QString pictureTooLargeMessage(const QSize& size);
QString pictureUnreadableMessage();

} // namespace orasent
