#include "documents/MarkupText.h"

#include "documents/XmlEntities.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <unordered_map>

namespace orasent {

namespace {

bool hasToken(const QString& list, QLatin1String token) {
    for (QStringView word : QStringView(list).split(u' ', Qt::SkipEmptyParts))
        if (word.compare(token, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// The semantics an element declares, from epub:type and role.
bool declares(const MarkupCollector::Attributes& attribute, std::initializer_list<const char*> epub,
              std::initializer_list<const char*> roles) {
    const QString type = attribute("epub:type");
    const QString role = attribute("role");
    for (const char* t : epub)
        if (hasToken(type, QLatin1String(t)))
            return true;
    for (const char* r : roles)
        if (hasToken(role, QLatin1String(r)))
            return true;
    return false;
}

// Page numbers of the printed book: declared, or as Project Gutenberg marks them.
bool isPageBreak(const MarkupCollector::Attributes& attribute) {
    const QString cls = attribute("class");
    return declares(attribute, {"pagebreak"}, {"doc-pagebreak"}) ||
           hasToken(cls, QLatin1String("pagenum")) || hasToken(cls, QLatin1String("pagebreak"));
}

// A note's number in the text, or the way back from the note to it. Wikipedia marks its
// citation numbers <sup class="reference">; elsewhere "reference" names ordinary links.
bool isNoteReference(std::string_view name, const MarkupCollector::Attributes& attribute) {
    const QString cls = attribute("class");
    return declares(attribute, {"noteref", "backlink"}, {"doc-noteref", "doc-backlink"}) ||
           hasToken(cls, QLatin1String("footnote-ref")) ||
           hasToken(cls, QLatin1String("footnote-reference")) ||
           hasToken(cls, QLatin1String("footnote-back")) ||
           hasToken(cls, QLatin1String("noteref")) ||
           (name == "sup" && hasToken(cls, QLatin1String("reference")));
}

bool isNoteBody(const MarkupCollector::Attributes& attribute) {
    return declares(
        attribute,
        {"footnote", "endnote", "rearnote", "note", "footnotes", "endnotes", "rearnotes"},
        {"doc-footnote", "doc-endnote", "doc-endnotes"});
}

bool isHidden(const MarkupCollector::Attributes& attribute) {
    if (!attribute("hidden").isNull() || attribute("aria-hidden") == QLatin1String("true"))
        return true;
    QString style = attribute("style");
    style.remove(u' ');
    return style.contains(QLatin1String("display:none"), Qt::CaseInsensitive);
}

// A cover picture's alt text names the picture, not the book's text.
bool isCoverImage(const MarkupCollector::Attributes& attribute, const QString& alt) {
    static const QRegularExpression coverAlt(
        QStringLiteral("^(the )?(front |book |title )?(cover|cover image|cover art|cover page)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (coverAlt.match(alt).hasMatch())
        return true;
    if (declares(attribute, {"cover"}, {"doc-cover"}))
        return true;
    for (const char* key : {"id", "class"})
        if (attribute(key).contains(QLatin1String("cover"), Qt::CaseInsensitive))
            return true;
    return false;
}

int headingLevel(std::string_view name) {
    if (name.size() == 2 && name[0] == 'h' && name[1] >= '1' && name[1] <= '6')
        return name[1] - '0';
    return 0;
}

} // namespace

QString cleanLanguageTag(const QString& tag) {
    static const QRegularExpression bcp47(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    QString clean = tag.trimmed();
    clean.replace(u'_', u'-');
    if (clean.size() > 35 || !bcp47.match(clean).hasMatch())
        return QString();
    return clean;
}

MarkupCollector::MarkupCollector(ParagraphCollector& out, QString part, QString documentLanguage)
    : m_out(out), m_part(std::move(part)), m_documentLanguage(std::move(documentLanguage)) {
    restart();
}

void MarkupCollector::restart() {
    m_stack.clear();
    Context root;
    root.language = m_documentLanguage;
    m_stack.append(root);
    m_head = DocumentMetadata();
    m_anchors.clear();
    m_partStart = m_out.paragraphCount();
    m_anchors.insert(m_part, m_partStart);
}

MarkupCollector::Role MarkupCollector::roleOf(std::string_view name,
                                              const Attributes& attribute) const {
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
        for (const char* skipped : {"script", "style", "nav", "template", "noscript", "svg", "math",
                                    "iframe", "object", "embed", "canvas", "audio", "video",
                                    "select", "datalist", "textarea", "rt", "rp", "link"})
            map.emplace(skipped, Role::Skip);
        map.emplace("head", Role::Head);
        map.emplace("title", Role::Title);
        map.emplace("meta", Role::Meta);
        map.emplace("br", Role::Break);
        map.emplace("img", Role::Image);
        return map;
    }();
    const auto found = roles.find(name);
    const Role role = found == roles.end() ? Role::Inline : found->second;
    if (role == Role::Skip || role == Role::Head || role == Role::Title || role == Role::Meta)
        return role;
    if (isHidden(attribute) || isPageBreak(attribute) || isNoteReference(name, attribute))
        return Role::Skip;
    return role;
}

MarkupCollector::Context MarkupCollector::contextFor(std::string_view name,
                                                     const Attributes& attribute) const {
    Context context = m_stack.constLast();
    if (const int level = headingLevel(name)) {
        context.kind = Paragraph::Kind::Heading;
        context.level = level;
    } else if (name == "li") {
        context.kind = Paragraph::Kind::ListItem;
        context.level = 0;
    } else if (name == "td" || name == "th") {
        context.kind = Paragraph::Kind::Cell;
        context.level = 0;
    }
    QString language = cleanLanguageTag(attribute("xml:lang"));
    if (language.isEmpty())
        language = cleanLanguageTag(attribute("lang"));
    if (!language.isEmpty())
        context.language = language;
    const QString id = attribute("id");
    if (!id.isEmpty())
        context.id = id;
    if (!context.note && isNoteBody(attribute))
        context.note = true;
    return context;
}

bool MarkupCollector::startElement(std::string_view name, const Attributes& attribute) {
    const Role role = roleOf(name, attribute);
    if (role == Role::Skip)
        return false;
    Context context = contextFor(name, attribute);
    if (name == "html" && m_documentLanguage.isEmpty() && !context.language.isEmpty())
        m_documentLanguage = context.language;
    if (const QString id = attribute("id"); !id.isEmpty())
        m_anchors.insert(m_part + QLatin1Char('#') + id, m_out.paragraphCount());
    switch (role) {
    case Role::Block:
        m_out.endParagraph();
        break;
    case Role::Break:
        m_out.appendBlank();
        break;
    case Role::Image:
        m_stack.append(context);
        readImage(attribute);
        m_stack.removeLast();
        break;
    case Role::Head:
        context.head = true;
        break;
    case Role::Title:
        context.title = context.head;
        context.head = true;
        break;
    case Role::Meta:
        readMeta(attribute);
        break;
    default:
        break;
    }
    m_stack.append(context);
    return true;
}

void MarkupCollector::endElement(std::string_view name) {
    if (m_stack.size() > 1)
        m_stack.removeLast();
    if (roleOf(name, [](std::string_view) { return QString(); }) == Role::Block)
        m_out.endParagraph();
}

void MarkupCollector::readImage(const Attributes& attribute) {
    const QString alt = attribute("alt").simplified();
    if (alt.isEmpty() || isCoverImage(attribute, alt))
        return;
    m_out.appendBlank();
    text(alt);
    m_out.append(u" ");
}

void MarkupCollector::readMeta(const Attributes& attribute) {
    const QString name = attribute("name").toLower();
    const QString content = attribute("content").simplified();
    if (content.isEmpty())
        return;
    if (m_head.author.isEmpty() &&
        (name == QLatin1String("author") || name == QLatin1String("dc.creator") ||
         name == QLatin1String("citation_author")))
        m_head.author = content;
    else if (m_head.identifier.isEmpty() &&
             (name == QLatin1String("dc.identifier") || name == QLatin1String("citation_doi") ||
              name == QLatin1String("citation_isbn")))
        m_head.identifier = content;
}

void MarkupCollector::applyContext() {
    const Context& context = m_stack.constLast();
    m_out.setParagraphKind(context.note ? Paragraph::Kind::Note : context.kind,
                           context.note ? 0 : context.level);
    m_out.setParagraphLanguage(
        context.language.compare(m_documentLanguage, Qt::CaseInsensitive) == 0 ? QString()
                                                                               : context.language);
    m_out.setParagraphSourceId(context.id.isEmpty() ? m_part
                                                    : m_part + QLatin1Char('#') + context.id);
}

void MarkupCollector::text(QStringView text) {
    const Context& context = m_stack.constLast();
    if (context.head) {
        if (context.title && m_head.title.size() < 1000)
            m_head.title += text;
        return;
    }
    if (m_out.paragraphBlank())
        applyContext();
    m_out.append(text);
}

void MarkupCollector::finish() {
    const QVector<int> moved = m_out.gatherNotes(m_partStart, m_part);
    m_head.title = m_head.title.simplified();
    if (moved.isEmpty())
        return;
    for (auto it = m_anchors.begin(); it != m_anchors.end(); ++it) {
        const int offset = it.value() - m_partStart;
        if (offset >= 0 && offset < moved.size())
            it.value() = moved.at(offset);
    }
}

void takeHead(const MarkupCollector& markup, Extraction* extraction) {
    extraction->metadata = markup.head();
    extraction->metadata.language = markup.documentLanguage();
}

namespace {

enum class XmlOutcome { Ok, NotXml, Entities };

XmlOutcome readXhtml(const QByteArray& bytes, ParagraphCollector& out, MarkupCollector& markup) {
    QXmlStreamReader xml(bytes);
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
                const QLatin1String wanted(key.data(), qsizetype(key.size()));
                for (const QXmlStreamAttribute& a : attributes)
                    if (a.qualifiedName().compare(wanted, Qt::CaseInsensitive) == 0)
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
            markup.text(xml.text());
            break;
        default:
            break;
        }
    }
    return xml.hasError() ? XmlOutcome::NotXml : XmlOutcome::Ok;
}

} // namespace

Extraction::Status collectXhtml(const QByteArray& raw, ParagraphCollector& out,
                                MarkupCollector& markup) {
    QByteArray expanded;
    const EntityExpansion expansion = expandDeclaredEntities(raw, &expanded);
    if (expansion == EntityExpansion::Refused)
        return Extraction::Status::Entities;
    const QByteArray& bytes = expansion == EntityExpansion::Expanded ? expanded : raw;
    const ParagraphCollector::Mark start = out.mark();
    switch (readXhtml(bytes, out, markup)) {
    case XmlOutcome::Ok:
        break;
    case XmlOutcome::Entities:
        out.rollback(start);
        markup.restart();
        return Extraction::Status::Entities;
    case XmlOutcome::NotXml:
        if (out.stopped())
            break; // cancelled or over the limit: the status says so
        out.rollback(start);
        markup.restart();
        collectHtml(bytes, markup);
        break;
    }
    markup.finish();
    return Extraction::Status::Ok;
}

Extraction extractXhtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress) {
    ParagraphCollector out(progress);
    MarkupCollector markup(out, QString(), QString());
    const Extraction::Status status = collectXhtml(bytes, out, markup);
    Extraction result = out.finish(status);
    takeHead(markup, &result);
    return result;
}

} // namespace orasent
