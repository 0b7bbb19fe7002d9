// Web pages on arbitrary bytes, through the HTML5 parser (even first byte) or the XHTML reader
// with its HTML5 fallback (odd). The same page twice gives the same paragraphs.
#include "FuzzInput.h"
#include "documents/MarkupText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::takeByte(data, size);
    const QByteArray rest(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto extract = [&] {
        return mode % 2 == 0 ? orasent::extractHtmlParagraphs(rest)
                             : orasent::extractXhtmlParagraphs(rest);
    };
    const orasent::Extraction first = extract();
    if (extract().paragraphs != first.paragraphs)
        __builtin_trap();
    for (const QString& paragraph : first.paragraphs)
        if (paragraph.trimmed().isEmpty())
            __builtin_trap();
    return 0;
}
