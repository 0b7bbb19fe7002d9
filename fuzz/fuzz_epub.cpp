// E-books on arbitrary bytes: the first byte chooses the raw archive, or a well-formed book whose
// chapter (odd) or package document (2 mod 4) is the rest of the input.
#include "FuzzInput.h"
#include "ParagraphChecks.h"
#include "ZipBuilder.h"
#include "documents/EpubText.h"

namespace {

const QByteArray kContainer =
    "<container><rootfiles><rootfile full-path=\"OPS/p.opf\"/></rootfiles></container>";
const QByteArray kPackage = "<package><manifest><item id=\"a\" href=\"c.xhtml\" "
                            "media-type=\"application/xhtml+xml\"/></manifest>"
                            "<spine><itemref idref=\"a\"/></spine></package>";

QByteArray book(const QByteArray& package, const QByteArray& chapter) {
    return orasent::test::buildZip({{"mimetype", "application/epub+zip"},
                                    {"META-INF/container.xml", kContainer},
                                    {"OPS/p.opf", package},
                                    {"OPS/c.xhtml", chapter}});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t mode = fuzz::takeByte(data, size);
    const QByteArray rest(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray archive = rest;
    if (mode % 2 == 1)
        archive = book(kPackage, rest);
    else if (mode % 4 == 2)
        archive = book(rest, "<html><body><p>Text.</p></body></html>");
    const orasent::Extraction result = orasent::extractEpubParagraphs(archive);
    if (mode % 2 == 1 || mode % 4 == 2)
        fuzz::checkParagraphs(result.paragraphs); // one chapter
    else
        for (const orasent::Paragraph& paragraph : result.paragraphs)
            if (paragraph.text.trimmed().isEmpty())
                __builtin_trap(); // blank paragraphs are never kept
    return 0;
}
