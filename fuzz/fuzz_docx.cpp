// Word and OpenDocument text on arbitrary bytes: the first byte chooses a raw .docx or .odt
// archive, or the rest as document.xml or content.xml.
#include "FuzzInput.h"
#include "documents/OfficeText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::takeByte(data, size);
    const QByteArray rest(reinterpret_cast<const char*>(data), qsizetype(size));
    orasent::Extraction result;
    switch (mode % 4) {
    case 0:
        result = orasent::extractDocxParagraphs(rest);
        break;
    case 1:
        result = orasent::extractOdtParagraphs(rest);
        break;
    case 2:
        result = orasent::docxXmlParagraphs(rest);
        break;
    default:
        result = orasent::odtXmlParagraphs(rest);
        break;
    }
    for (const QString& paragraph : result.paragraphs)
        if (paragraph.trimmed().isEmpty())
            __builtin_trap(); // blank paragraphs are never kept
    return 0;
}
