#pragma once
// How HTML and XHTML elements become paragraphs, shared by the HTML5 parser's tree walk and the
// XML reader: blocks end paragraphs, <br> is a blank, image alt texts are read, and scripts,
// styles, navigation, the head and hidden elements are not.
#include "documents/Extraction.h"

#include <QString>
#include <functional>
#include <string_view>

namespace orasent {

class MarkupCollector {
public:
    explicit MarkupCollector(ParagraphCollector& out) : m_out(out) {}

    // `attribute` gives an attribute's value by its (lower-case, unprefixed) name, or a null
    // string. False: the element's content is not read, and endElement is not called for it.
    using Attributes = std::function<QString(std::string_view name)>;
    bool startElement(std::string_view name, const Attributes& attribute);
    void endElement(std::string_view name);

private:
    ParagraphCollector& m_out;
};

// Web pages: bytes in any declared charset (a BOM, <meta charset> or UTF-8, else
// Windows-1252), parsed as HTML5.
Extraction extractHtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress = {});
// The same into a collector, for the chapters of a book.
void collectHtml(const QByteArray& bytes, ParagraphCollector& out);
// The page as UTF-8: a BOM, then a <meta> charset in the first 1024 bytes, then UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QByteArray htmlToUtf8(const QByteArray& bytes);

// XHTML (e-book chapters, .xhtml files): read as XML; a part that is not well-formed or uses
// entities it does not declare (&nbsp; without a DTD) is parsed again as HTML5. Entities
// declared in a DTD refuse the part (status Entities).
Extraction::Status collectXhtml(const QByteArray& bytes, ParagraphCollector& out);
Extraction extractXhtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress = {});

} // namespace orasent
