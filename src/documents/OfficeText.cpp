#include "documents/OfficeText.h"

#include "documents/ZipArchive.h"

#include <QXmlStreamReader>

namespace orasent {

namespace {

// What an element of the document's XML means for the text.
// Text: character data that is read (runs split words anywhere, so no blank is added);
// AltTitle: an image's alternative text as an element, AltText: as the descr attribute.
enum class Role { Other, Paragraph, Text, AltTitle, Blank, Hyphen, Skip, AltText };

using RoleOf = Role (*)(QStringView ns, QStringView name);

bool isWordNamespace(QStringView ns) {
    return ns == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
           ns == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

Role wordRole(QStringView ns, QStringView name) {
    if (name == u"docPr")
        return Role::AltText; // a drawing's properties: descr is the alt text
    if (name == u"Fallback")
        return Role::Skip; // markup-compatibility copy of the content just read
    if (!isWordNamespace(ns))
        return Role::Other;
    if (name == u"p")
        return Role::Paragraph;
    if (name == u"t")
        return Role::Text;
    if (name == u"tab" || name == u"br" || name == u"cr" || name == u"ptab")
        return Role::Blank;
    if (name == u"noBreakHyphen")
        return Role::Hyphen;
    if (name == u"delText" || name == u"instrText" || name == u"pPr" || name == u"rPr" ||
        name == u"sectPr" || name == u"del" || name == u"moveFrom")
        return Role::Skip;
    return Role::Other;
}

Role odfRole(QStringView ns, QStringView name) {
    if (ns == u"urn:oasis:names:tc:opendocument:xmlns:text:1.0") {
        if (name == u"p" || name == u"h")
            return Role::Paragraph;
        if (name == u"s" || name == u"tab" || name == u"line-break")
            return Role::Blank;
        if (name == u"note" || name == u"tracked-changes" || name == u"sequence-decls" ||
            name == u"table-of-content")
            return Role::Skip;
    }
    if (ns == u"urn:oasis:names:tc:opendocument:xmlns:office:1.0") {
        if (name == u"annotation" || name == u"automatic-styles" || name == u"font-face-decls" ||
            name == u"scripts" || name == u"forms")
            return Role::Skip;
    }
    if (ns == u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0") {
        if (name == u"title")
            return Role::AltTitle;
        if (name == u"desc")
            return Role::Skip;
    }
    return Role::Other;
}

class OfficeReader {
public:
    OfficeReader(RoleOf roleOf, bool textInParagraphs, ParagraphCollector& out)
        : m_roleOf(roleOf), m_textInParagraphs(textInParagraphs), m_out(out) {}

    Extraction::Status read(const QByteArray& bytes) {
        QXmlStreamReader xml(bytes);
        while (!xml.atEnd() && m_out.tick()) {
            switch (xml.readNext()) {
            case QXmlStreamReader::DTD:
                if (!xml.entityDeclarations().isEmpty())
                    return Extraction::Status::Entities;
                break;
            case QXmlStreamReader::StartElement:
                start(xml);
                break;
            case QXmlStreamReader::EndElement:
                end(m_roleOf(xml.namespaceUri(), xml.name()));
                break;
            case QXmlStreamReader::Characters:
                if (m_textDepth > 0 || (m_textInParagraphs && m_paragraphDepth > 0))
                    m_out.append(xml.text());
                break;
            default:
                break;
            }
        }
        if (xml.hasError() && !m_out.stopped())
            return Extraction::Status::Corrupt;
        return Extraction::Status::Ok;
    }

private:
    void start(QXmlStreamReader& xml) {
        switch (m_roleOf(xml.namespaceUri(), xml.name())) {
        case Role::Paragraph:
            m_out.endParagraph(); // a text box's paragraphs sit inside the outer one
            ++m_paragraphDepth;
            break;
        case Role::AltTitle:
            m_out.appendBlank();
            ++m_textDepth;
            break;
        case Role::Text:
            ++m_textDepth;
            break;
        case Role::Blank:
            m_out.appendBlank();
            break;
        case Role::Hyphen:
            m_out.append(u"-");
            break;
        case Role::Skip:
            xml.skipCurrentElement();
            break;
        case Role::AltText:
            altText(xml.attributes().value(QLatin1String("descr")));
            break;
        case Role::Other:
            break;
        }
    }

    void end(Role role) {
        if (role == Role::Paragraph) {
            m_out.endParagraph();
            --m_paragraphDepth;
        } else if (role == Role::Text || role == Role::AltTitle) {
            --m_textDepth;
            if (role == Role::AltTitle)
                m_out.append(u" ");
        }
    }

    void altText(QStringView alt) {
        if (alt.trimmed().isEmpty())
            return;
        m_out.appendBlank();
        m_out.append(alt);
        m_out.append(u" ");
    }

    RoleOf m_roleOf;
    bool m_textInParagraphs;
    ParagraphCollector& m_out;
    int m_paragraphDepth = 0;
    int m_textDepth = 0;
};

Extraction readXml(const QByteArray& xml, RoleOf roleOf, bool textInParagraphs,
                   const LoadProgress& progress) {
    ParagraphCollector out(progress);
    OfficeReader reader(roleOf, textInParagraphs, out);
    const Extraction::Status status = reader.read(xml);
    if (status != Extraction::Status::Ok)
        return Extraction{status, {}, 0, {}, {}};
    return out.finish();
}

Extraction readPart(const QByteArray& archive, const QString& part, RoleOf roleOf,
                    bool textInParagraphs, const LoadProgress& progress) {
    ZipArchive zip(archive);
    QByteArray xml;
    Extraction::Status status = zip.read(part, &xml);
    if (status == Extraction::Status::PartsMissing)
        status = Extraction::Status::Corrupt; // the one part every such file has
    if (status != Extraction::Status::Ok)
        return Extraction{status, {}, 0, {}, {}};
    if (progress.report)
        progress.report(0, 1);
    Extraction result = readXml(xml, roleOf, textInParagraphs, progress);
    if (progress.report)
        progress.report(1, 1);
    return result;
}

} // namespace

Extraction docxXmlParagraphs(const QByteArray& xml, const LoadProgress& progress) {
    return readXml(xml, &wordRole, false, progress);
}

Extraction odtXmlParagraphs(const QByteArray& xml, const LoadProgress& progress) {
    return readXml(xml, &odfRole, true, progress);
}

Extraction extractDocxParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    return readPart(archive, QStringLiteral("word/document.xml"), &wordRole, false, progress);
}

Extraction extractOdtParagraphs(const QByteArray& archive, const LoadProgress& progress) {
    return readPart(archive, QStringLiteral("content.xml"), &odfRole, true, progress);
}

} // namespace orasent
