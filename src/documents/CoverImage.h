#pragma once
// A document's cover, as an exported book shows it in a player: an EPUB's cover image, or the
// first page of a PDF rendered small; JPEG at most 600 pixels on a side. Pictures that cannot be
// read, or that would take too much memory to read, give no cover.
#include <QByteArray>
#include <QString>

namespace orasent {

constexpr int kCoverSide = 600;

// Empty when the document has no usable cover.
QByteArray coverJpegFor(const QString& documentPath);

// `data` (any image format Qt reads) as a cover; empty when it is not a readable image, or is a
// picture larger than 50 megapixels in a format that cannot be read scaled down.
QByteArray coverJpegFromImage(const QByteArray& data);

} // namespace orasent
