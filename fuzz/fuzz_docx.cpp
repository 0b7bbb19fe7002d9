// Word and OpenDocument text on arbitrary bytes: the first byte chooses a raw .docx or .odt
// archive, the rest as document.xml or content.xml, or as a styles or properties part.
#include "FuzzInput.h"
#include "documents/OfficeStyles.h"
#include "documents/OfficeText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::takeByte(data, size);
    const QByteArray rest(reinterpret_cast<const char*>(data), qsizetype(size));
    orasent::Extraction result;
    switch (mode % 7) {
    case 0:
        result = orasent::extractDocxParagraphs(rest);
        break;
    case 1:
        result = orasent::extractOdtParagraphs(rest);
        break;
    case 2:
        result = orasent::docxXmlParagraphs(rest);
        break;
    case 3:
        result = orasent::odtXmlParagraphs(rest);
        break;
    case 4:
        for (const orasent::OfficeStyle& style : orasent::readWordStyles(rest).byName)
            if (style.headingLevel < 0 || style.headingLevel > 6)
                __builtin_trap();
        break;
    case 5:
        for (const orasent::OfficeStyle& style : orasent::readOdfStyles({rest, rest}).byName)
            if (style.headingLevel < 0 || style.headingLevel > 6)
                __builtin_trap();
        break;
    default:
        result.metadata = orasent::readDocumentProperties(rest);
        break;
    }
    for (const orasent::Paragraph& paragraph : result.paragraphs)
        if (paragraph.text.trimmed().isEmpty())
            __builtin_trap(); // blank paragraphs are never kept
    return 0;
}
