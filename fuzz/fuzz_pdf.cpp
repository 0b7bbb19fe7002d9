// PDF text extraction on arbitrary bytes, and the layout rules on arbitrary word boxes (NaN,
// infinities, overlaps): never a crash, and paragraphs only from a file that was read.
#include "documents/PdfLayout.h"
#include "documents/PdfStructure.h"
#include "documents/PdfText.h"

#include <cstring>

namespace {

void checkParagraphs(const QStringList& paragraphs) {
    for (const QString& p : paragraphs)
        if (p.isEmpty() || p != p.simplified())
            __builtin_trap();
}

// Each 18 bytes: four floats (x, y, width, height), a flag byte and a character; a flag's high
// bit starts a new page.
std::vector<orasent::PdfPageLines> pagesFrom(const uint8_t* data, size_t size) {
    std::vector<orasent::PdfPageLines> pages(1, {QSizeF(595, 842), {}, {}});
    std::vector<orasent::PdfWord> words;
    for (; size >= 18; data += 18, size -= 18) {
        float f[4];
        std::memcpy(f, data, sizeof f);
        const uint8_t flags = data[16];
        if (flags & 0x80) {
            pages.back().lines = orasent::linesFromWords(words);
            words.clear();
            pages.push_back({QSizeF(595, 842), {}, {}});
        }
        words.push_back({QString(QChar(ushort(data[17]))) + QChar(data[17] % 3 ? 'a' : '-'),
                         QRectF(f[0], f[1], f[2], f[3]), bool(flags & 1), bool(flags & 2)});
    }
    pages.back().lines = orasent::linesFromWords(words);
    return pages;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const orasent::PdfExtraction pdf = orasent::extractPdfParagraphs(bytes);
    if (pdf.status != orasent::PdfExtraction::Status::Ok && !pdf.paragraphs.isEmpty())
        __builtin_trap();
    checkParagraphs(pdf.paragraphs);
    for (const orasent::ContentsEntry& entry : pdf.contents)
        if (entry.paragraph < 0 || entry.paragraph >= pdf.paragraphs.size())
            __builtin_trap();
    orasent::declaredPdfLanguage(bytes);

    std::vector<orasent::PdfPageLines> pages = pagesFrom(data, size);
    orasent::dropRunningLines(pages);
    checkParagraphs(orasent::paragraphsFromPages(pages));
    const std::vector<orasent::PdfParagraph> placed = orasent::placedParagraphsFromPages(pages);
    if (orasent::layoutHeadingLevels(placed).size() != qsizetype(placed.size()))
        __builtin_trap();
    const int at =
        orasent::paragraphOfOutlineEntry({QStringLiteral("a"), 1, int(size % 3), 100}, placed);
    if (at < -1 || at >= int(placed.size()) || (at == -1 && !placed.empty()))
        __builtin_trap();
    return 0;
}
