// Markdown on arbitrary bytes (valid UTF-8 or not).
#include "documents/MarkdownText.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const orasent::Extraction result = orasent::extractMarkdownParagraphs(bytes);
    for (const QString& paragraph : result.paragraphs)
        if (paragraph.trimmed().isEmpty())
            __builtin_trap(); // blank paragraphs are never kept
    return 0;
}
