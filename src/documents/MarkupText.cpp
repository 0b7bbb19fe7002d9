#include "documents/MarkupText.h"

#include <QXmlStreamReader>

#include <unordered_map>

namespace orasent {

namespace {

enum class Role { Inline, Block, Skip, Break, Image };

Role roleOf(std::string_view name) {
    static const std::unordered_map<std::string_view, Role> roles = [] {
        std::unordered_map<std::string_view, Role> map;
        for (const char* block :
             {"address",    "article", "aside",  "blockquote", "body",   "caption", "center",
              "dd",         "details", "dialog", "div",        "dl",     "dt",      "fieldset",
              "figcaption", "figure",  "footer", "form",       "h1",     "h2",      "h3",
              "h4",         "h5",      "h6",     "header",     "hgroup", "hr",      "html",
              "legend",     "li",      "main",   "ol",         "p",      "pre",     "section",
              "summary",    "table",   "tbody",  "td",         "tfoot",  "th",      "thead",
              "tr",         "ul",      "option"})
            map.emplace(block, Role::Block);
        for (const char* skipped :
             {"head",     "script", "style", "nav",    "template", "noscript", "svg",    "math",
              "iframe",   "object", "embed", "canvas", "audio",    "video",    "select", "datalist",
              "textarea", "rt",     "rp",    "title",  "meta",     "link"})
            map.emplace(skipped, Role::Skip);
        map.emplace("br", Role::Break);
        map.emplace("img", Role::Image);
        return map;
    }();
    const auto found = roles.find(name);
    return found == roles.end() ? Role::Inline : found->second;
}

} // namespace

bool MarkupCollector::startElement(std::string_view name, const Attributes& attribute) {
    const Role role = roleOf(name);
    if (role == Role::Skip || !attribute(std::string_view("hidden")).isNull() ||
        attribute(std::string_view("aria-hidden")) == QLatin1String("true"))
        return false;
    switch (role) {
    case Role::Block:
        m_out.endParagraph();
        break;
    case Role::Break:
        m_out.appendBlank();
        break;
    case Role::Image: {
        const QString alt = attribute(std::string_view("alt")).simplified();
        if (!alt.isEmpty()) {
            m_out.appendBlank();
            m_out.append(alt);
            m_out.append(u" ");
        }
        break;
    }
    default:
        break;
    }
    return true;
}

void MarkupCollector::endElement(std::string_view name) {
    if (roleOf(name) == Role::Block)
        m_out.endParagraph();
}

namespace {

enum class XmlOutcome { Ok, NotXml, Entities };

XmlOutcome readXhtml(const QByteArray& bytes, ParagraphCollector& out) {
    QXmlStreamReader xml(bytes);
    MarkupCollector markup(out);
    while (!xml.atEnd() && out.tick()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            if (!xml.entityDeclarations().isEmpty())
                return XmlOutcome::Entities;
            break;
        case QXmlStreamReader::EntityReference:
            return XmlOutcome::NotXml; // an HTML entity the XML reader does not know
        case QXmlStreamReader::StartElement: {
            const QByteArray name = xml.name().toLatin1().toLower();
            const QXmlStreamAttributes attributes = xml.attributes();
            const auto attribute = [&attributes](std::string_view key) {
                for (const QXmlStreamAttribute& a : attributes)
                    if (a.name() == QLatin1String(key.data(), qsizetype(key.size())))
                        return a.value().toString();
                return QString();
            };
            if (!markup.startElement(std::string_view(name.constData(), size_t(name.size())),
                                     attribute))
                xml.skipCurrentElement();
            break;
        }
        case QXmlStreamReader::EndElement: {
            const QByteArray name = xml.name().toLatin1().toLower();
            markup.endElement(std::string_view(name.constData(), size_t(name.size())));
            break;
        }
        case QXmlStreamReader::Characters:
            out.append(xml.text());
            break;
        default:
            break;
        }
    }
    return xml.hasError() ? XmlOutcome::NotXml : XmlOutcome::Ok;
}

} // namespace

Extraction::Status collectXhtml(const QByteArray& bytes, ParagraphCollector& out) {
    const ParagraphCollector::Mark start = out.mark();
    switch (readXhtml(bytes, out)) {
    case XmlOutcome::Ok:
        break;
    case XmlOutcome::Entities:
        out.rollback(start);
        return Extraction::Status::Entities;
    case XmlOutcome::NotXml:
        if (out.stopped())
            break; // cancelled or over the limit: the status says so
        out.rollback(start);
        collectHtml(bytes, out);
        break;
    }
    out.endParagraph();
    return Extraction::Status::Ok;
}

Extraction extractXhtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress) {
    ParagraphCollector out(progress);
    const Extraction::Status status = collectXhtml(bytes, out);
    return out.finish(status);
}

} // namespace orasent
