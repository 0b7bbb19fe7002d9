// Web pages on arbitrary bytes, through the HTML5 parser (even first byte) or the XHTML reader
// with its HTML5 fallback (odd). The same page twice gives the same paragraphs, and notes
// come after the text.
#include "FuzzInput.h"
#include "ParagraphChecks.h"
#include "documents/MarkupText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::takeByte(data, size);
    const QByteArray rest(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto extract = [&] {
        return mode % 2 == 0 ? orasent::extractHtmlParagraphs(rest)
                             : orasent::extractXhtmlParagraphs(rest);
    };
    const orasent::Extraction first = extract();
    const orasent::Extraction second = extract();
    if (second.paragraphs.size() != first.paragraphs.size())
        __builtin_trap();
    for (qsizetype i = 0; i < first.paragraphs.size(); ++i)
        if (second.paragraphs[i].text != first.paragraphs[i].text ||
            second.paragraphs[i].kind != first.paragraphs[i].kind ||
            second.paragraphs[i].language != first.paragraphs[i].language)
            __builtin_trap();
    fuzz::checkParagraphs(first.paragraphs);
    return 0;
}
