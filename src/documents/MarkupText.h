#pragma once
// How HTML and XHTML elements become paragraphs, shared by the HTML5 parser's tree walk and the
// XML reader: blocks end paragraphs, <br> is a blank, image alt texts are read, and scripts,
// styles, navigation, the head and hidden elements are not. Headings, list items, table cells
// and notes give their paragraphs a kind; lang and xml:lang their language; ids their source.
// Page-break markers and note references are not read; note bodies go to the end of their part.
#include "documents/Extraction.h"

#include <QHash>
#include <QString>
#include <QVector>
#include <functional>
#include <string_view>

namespace orasent {

class MarkupCollector {
public:
    // `part` prefixes source ids ("chapter3.xhtml" gives "chapter3.xhtml#p12"); may be empty.
    // `documentLanguage` is the book's; empty takes the root element's.
    MarkupCollector(ParagraphCollector& out, QString part, QString documentLanguage);

    // `attribute` gives an attribute's value by its lower-case name as written ("lang",
    // "xml:lang", "epub:type"), or a null string. False: the element's content is not read, and
    // endElement is not called for it.
    using Attributes = std::function<QString(std::string_view name)>;
    bool startElement(std::string_view name, const Attributes& attribute);
    void endElement(std::string_view name);
    void text(QStringView text);

    // Ends the part: its note bodies move to its end, after a "Notes" paragraph.
    void finish();
    // Forgets what was read of the part, to read it again another way.
    void restart();

    ParagraphCollector& collector() { return m_out; }
    QString documentLanguage() const { return m_documentLanguage; }
    // From the head: <title>, <meta name="author">, an identifier meta.
    const DocumentMetadata& head() const { return m_head; }
    // "part#id" (and "part" for its start) -> index of the paragraph it lies in.
    const QHash<QString, int>& anchors() const { return m_anchors; }

private:
    struct Context {
        Paragraph::Kind kind = Paragraph::Kind::Body;
        int level = 0;
        QString language;
        QString id;
        bool note = false;
        bool head = false;  // text not read
        bool title = false; // text is the page's title
    };
    enum class Role { Inline, Block, Skip, Break, Image, Head, Title, Meta };
    Role roleOf(std::string_view name, const Attributes& attribute) const;
    Context contextFor(std::string_view name, const Attributes& attribute) const;
    void readMeta(const Attributes& attribute);
    void readImage(const Attributes& attribute);
    void applyContext();

    ParagraphCollector& m_out;
    QString m_part;
    QString m_documentLanguage;
    QVector<Context> m_stack;
    DocumentMetadata m_head;
    QHash<QString, int> m_anchors;
    int m_partStart = 0;
};

// A language tag as written, tidied ("en_GB" -> "en-GB"); empty when it is not a BCP 47 tag.
QString cleanLanguageTag(const QString& tag);

// Web pages: bytes in any declared charset (a BOM, <meta charset> or UTF-8, else
// Windows-1252), parsed as HTML5. A saved page is read as a reader view reads it: its main
// content without navigation, banners, footers, sidebars and link lists.
Extraction extractHtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress = {});
// The same into a collector, for the chapters of a book (`readerView` false: read whole).
void collectHtml(const QByteArray& bytes, MarkupCollector& markup, bool readerView = false);
// The page as UTF-8: a BOM, then a <meta> charset in the first 1024 bytes, then UTF-8 when the
// bytes are valid UTF-8, else Windows-1252.
QByteArray htmlToUtf8(const QByteArray& bytes);

// XHTML (e-book chapters, .xhtml files): read as XML; a part that is not well-formed or uses
// entities it does not declare (&nbsp; without a DTD) is parsed again as HTML5. Entities
// declared in the document are expanded (see XmlEntities.h); a part whose entities expand past
// the limits is refused (status Entities).
Extraction::Status collectXhtml(const QByteArray& bytes, ParagraphCollector& out,
                                MarkupCollector& markup);
Extraction extractXhtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress = {});

// The document as the extraction's metadata and contents give it, from a part's collector.
void takeHead(const MarkupCollector& markup, Extraction* extraction);

} // namespace orasent
