// Markdown on arbitrary bytes (valid UTF-8 or not).
#include "ParagraphChecks.h"
#include "documents/MarkdownText.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const orasent::Extraction result = orasent::extractMarkdownParagraphs(bytes);
    fuzz::checkParagraphs(result.paragraphs);
    return 0;
}
