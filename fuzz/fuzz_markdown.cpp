// Markdown on arbitrary bytes (valid UTF-8 or not).
#include "documents/MarkdownText.h"

#include <cstdint>

namespace {
// Kept paragraphs are never blank, and within one part no body text follows its notes.
inline void checkParagraphs(const QVector<orasent::Paragraph>& paragraphs) {
    bool inNotes = false;
    for (const orasent::Paragraph& paragraph : paragraphs) {
        if (paragraph.text.trimmed().isEmpty())
            __builtin_trap();
        if (inNotes && paragraph.kind != orasent::Paragraph::Kind::Note)
            __builtin_trap();
        inNotes = paragraph.kind == orasent::Paragraph::Kind::Note;
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const orasent::Extraction result = orasent::extractMarkdownParagraphs(bytes);
    checkParagraphs(result.paragraphs);
    return 0;
}
