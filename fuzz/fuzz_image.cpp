// The picture path up to recognition: the content test, the header's size check and the
// decoding of every page. Recognition itself is left out (about 0.1 s a page would allow too
// few runs); it only ever sees images that got this far.
#include "recognition/ImagePages.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)orasent::looksLikePicture(bytes);
    const orasent::ImagePages pages(bytes);
    if (!pages.isValid())
        return 0;
    for (int i = 0; i < pages.pageCount() && i < 8; ++i) {
        QString error;
        const QImage page = pages.page(i, &error);
        if (page.isNull() == error.isEmpty())
            __builtin_trap(); // every page is either decoded or refused with a message
        (void)orasent::ImagePages::dotsPerInch(page);
    }
    return 0;
}
