// A book's cover as an export takes it: any bytes as a picture, and bytes that look like a ZIP
// archive as an EPUB whose container and package name the cover. A cover is either refused
// (empty) or a JPEG no larger than its limit.
#include "FuzzInput.h"
#include "documents/CoverImage.h"

#include <QImage>
#include <cstddef>
#include <cstdint>

namespace {
void check(const QByteArray& jpeg) {
    if (jpeg.isEmpty())
        return;
    const QImage image = QImage::fromData(jpeg, "JPEG");
    if (image.isNull() || image.width() > orasent::kCoverSide ||
        image.height() > orasent::kCoverSide)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    check(orasent::coverJpegFromImage(bytes));
    if (bytes.startsWith("PK")) {
        const QString path = fuzz::writeTemporaryFile(data, size);
        const QString epub = path + QStringLiteral(".epub");
        QFile::remove(epub);
        QFile::rename(path, epub);
        check(orasent::coverJpegFor(epub));
        QFile::remove(epub);
    }
    return 0;
}
