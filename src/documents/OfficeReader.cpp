#include "documents/OfficeReader.h"

#include <algorithm>

namespace orasent {

// What an element of the document's XML means for the text.
// Text: character data that is read (runs split words anywhere, so no blank is added);
// AltTitle: an image's alternative text as an element, AltText: as the descr attribute.
enum class OfficeReader::Role {
    Other,
    Paragraph,
    Text,
    AltTitle,
    Blank,
    Hyphen,
    Skip,
    AltText,
    ParagraphProperties, // Word's w:pPr: style, outline level, numbering
    Language,            // Word's w:lang in a run's properties
    Run,                 // Word's w:r: its language ends with it
    Cell,
    ListItem,
    Span,          // ODF's text:span: its style may set a language
    NoteReference, // Word's w:footnoteReference, w:endnoteReference
    NoteBody,      // Word's w:footnote, w:endnote in their own parts
    InlineNote,    // ODF's text:note: its body is read apart
};

namespace {

constexpr int kMaxHeadingLevel = 6;
constexpr int kMaxNoteNesting = 2;

bool isWordNamespace(QStringView ns) {
    return ns == u"http://schemas.openxmlformats.org/wordprocessingml/2006/main" ||
           ns == u"http://purl.oclc.org/ooxml/wordprocessingml/main";
}

constexpr QStringView kText = u"urn:oasis:names:tc:opendocument:xmlns:text:1.0";
constexpr QStringView kOffice = u"urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr QStringView kTable = u"urn:oasis:names:tc:opendocument:xmlns:table:1.0";
constexpr QStringView kSvg = u"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0";

QString attribute(const QXmlStreamReader& xml, const char* name) {
    return xml.attributes().value(QLatin1String(name)).toString();
}

} // namespace

OfficeReader::OfficeReader(Format format, const OfficeStyles& styles, ParagraphCollector& out)
    : m_format(format), m_styles(styles), m_out(out), m_progress(out.progress()),
      m_noteStatus(Extraction::Status::Ok) {}

OfficeReader::Role OfficeReader::roleOf(QStringView ns, QStringView name) const {
    return m_format == Format::Word ? wordRole(ns, name) : odfRole(ns, name);
}

OfficeReader::Role OfficeReader::wordRole(QStringView ns, QStringView name) const {
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
    if (name == u"r")
        return Role::Run;
    if (name == u"tab" || name == u"br" || name == u"cr" || name == u"ptab")
        return Role::Blank;
    if (name == u"noBreakHyphen")
        return Role::Hyphen;
    if (name == u"pPr")
        return Role::ParagraphProperties;
    if (name == u"lang")
        return Role::Language;
    if (name == u"tc")
        return Role::Cell;
    if (name == u"footnoteReference" || name == u"endnoteReference")
        return Role::NoteReference;
    if (name == u"footnote" || name == u"endnote")
        return Role::NoteBody;
    if (name == u"delText" || name == u"instrText" || name == u"sectPr" || name == u"del" ||
        name == u"moveFrom")
        return Role::Skip;
    return Role::Other;
}

OfficeReader::Role OfficeReader::odfRole(QStringView ns, QStringView name) const {
    if (ns == kText) {
        if (name == u"p" || name == u"h")
            return Role::Paragraph;
        if (name == u"s" || name == u"tab" || name == u"line-break")
            return Role::Blank;
        if (name == u"span")
            return Role::Span;
        if (name == u"list-item" || name == u"list-header")
            return Role::ListItem;
        if (name == u"note")
            return Role::InlineNote;
        if (name == u"note-citation" || name == u"tracked-changes" || name == u"sequence-decls" ||
            name == u"table-of-content")
            return Role::Skip;
    }
    if (ns == kTable && name == u"table-cell")
        return Role::Cell;
    if (ns == kOffice) {
        if (name == u"annotation" || name == u"automatic-styles" || name == u"font-face-decls" ||
            name == u"scripts" || name == u"forms")
            return Role::Skip;
    }
    if (ns == kSvg) {
        if (name == u"title")
            return Role::AltTitle;
        if (name == u"desc")
            return Role::Skip;
    }
    return Role::Other;
}

Extraction::Status OfficeReader::read(const QByteArray& bytes) {
    QXmlStreamReader xml(bytes);
    const Extraction::Status status = readUntilEnd(xml, 0);
    if (status != Extraction::Status::Ok)
        return status;
    if (xml.hasError() && !m_out.stopped())
        return Extraction::Status::Corrupt;
    return m_noteStatus;
}

// Reads events until the element open at `depth` ends (0: the whole document).
Extraction::Status OfficeReader::readUntilEnd(QXmlStreamReader& xml, int depth) {
    while (!xml.atEnd() && m_out.tick()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            if (!xml.entityDeclarations().isEmpty())
                return Extraction::Status::Entities;
            break;
        case QXmlStreamReader::StartElement:
            ++depth;
            start(xml);
            if (xml.isEndElement()) // read whole by start()
                --depth;
            break;
        case QXmlStreamReader::EndElement:
            if (--depth < 0)
                return Extraction::Status::Ok;
            end(xml);
            break;
        case QXmlStreamReader::Characters:
            if (m_textDepth > 0 || (m_format == Format::Odf && m_paragraphDepth > 0))
                characters(xml.text());
            break;
        default:
            break;
        }
    }
    return Extraction::Status::Ok;
}

void OfficeReader::start(QXmlStreamReader& xml) {
    switch (roleOf(xml.namespaceUri(), xml.name())) {
    case Role::Paragraph:
        flushParagraph(); // a text box's paragraphs sit inside the outer one
        ++m_paragraphDepth;
        beginParagraph(xml);
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
    case Role::ParagraphProperties:
        readParagraphProperties(xml);
        break;
    case Role::Language:
        m_runLanguage = languageTag(xml.attributes().value(QLatin1String("w:val")));
        break;
    case Role::Cell:
        ++m_cellDepth;
        break;
    case Role::ListItem:
        ++m_listDepth;
        break;
    case Role::Span: {
        const OfficeStyle* style = styleOf(attribute(xml, "text:style-name"));
        m_spanLanguages << (style ? style->language : QString());
        break;
    }
    case Role::NoteReference:
        m_references.append(
            {QString(xml.name() == u"footnoteReference" ? u'f' : u'e') + attribute(xml, "w:id"),
             m_out.paragraphCount()});
        break;
    case Role::NoteBody:
        m_out.endParagraph();
        m_ranges.append({attribute(xml, "w:id"), m_out.paragraphCount(), m_out.paragraphCount()});
        break;
    case Role::InlineNote:
        readInlineNote(xml);
        break;
    case Role::Run:
    case Role::Other:
        break;
    }
}

void OfficeReader::end(QXmlStreamReader& xml) {
    switch (roleOf(xml.namespaceUri(), xml.name())) {
    case Role::Paragraph:
        flushParagraph();
        --m_paragraphDepth;
        break;
    case Role::Text:
        --m_textDepth;
        break;
    case Role::AltTitle:
        --m_textDepth;
        m_out.append(u" ");
        break;
    case Role::Run:
        m_runLanguage.clear();
        break;
    case Role::Cell:
        --m_cellDepth;
        break;
    case Role::ListItem:
        --m_listDepth;
        break;
    case Role::Span:
        if (!m_spanLanguages.isEmpty())
            m_spanLanguages.removeLast();
        break;
    case Role::NoteBody:
        m_out.endParagraph();
        if (!m_ranges.isEmpty())
            m_ranges.last().end = m_out.paragraphCount();
        break;
    default:
        break;
    }
}

void OfficeReader::characters(QStringView text) {
    m_out.append(text);
    m_paragraph.charsByLanguage[currentLanguage()] += text.size();
}

QString OfficeReader::currentLanguage() const {
    if (m_format == Format::Word && !m_runLanguage.isEmpty())
        return m_runLanguage;
    for (qsizetype i = m_spanLanguages.size() - 1; i >= 0; --i)
        if (!m_spanLanguages[i].isEmpty())
            return m_spanLanguages[i];
    const OfficeStyle* style = styleOf(m_paragraph.style);
    return style ? style->language : QString();
}

const OfficeStyle* OfficeReader::styleOf(const QString& name) const {
    const auto it = m_styles.byName.constFind(name);
    return it == m_styles.byName.constEnd() ? nullptr : &*it;
}

void OfficeReader::beginParagraph(const QXmlStreamReader& xml) {
    m_paragraph = ParagraphState();
    if (m_format == Format::Word)
        return; // its properties come in w:pPr
    m_paragraph.style = attribute(xml, "text:style-name");
    if (xml.name() == u"h") {
        const int level = attribute(xml, "text:outline-level").toInt();
        m_paragraph.outlineLevel = std::clamp(level > 0 ? level : 1, 1, kMaxHeadingLevel);
    }
}

// The open paragraph's kind and language, then its end.
void OfficeReader::flushParagraph() {
    const OfficeStyle* style = styleOf(m_paragraph.style);
    int level = m_paragraph.outlineLevel >= 0 ? m_paragraph.outlineLevel
                : style                       ? style->headingLevel
                                              : 0;
    if (!style && m_paragraph.outlineLevel < 0 && m_format == Format::Word)
        level = headingLevelFromStyleName(m_paragraph.style);
    if (level > 0)
        m_out.setParagraphKind(Paragraph::Kind::Heading, level);
    else if (m_cellDepth > 0)
        m_out.setParagraphKind(Paragraph::Kind::Cell);
    else if (m_listDepth > 0 || m_paragraph.numbered || (style && style->list))
        m_out.setParagraphKind(Paragraph::Kind::ListItem);
    QString language;
    qsizetype most = 0;
    for (auto it = m_paragraph.charsByLanguage.begin(); it != m_paragraph.charsByLanguage.end();
         ++it)
        if (it.value() > most)
            language = it.key(), most = it.value();
    m_out.setParagraphLanguage(language);
    m_out.endParagraph();
    m_paragraph = ParagraphState();
}

// w:pPr: the style, an outline level and numbering; the paragraph mark's run properties are
// not the text's.
void OfficeReader::readParagraphProperties(QXmlStreamReader& xml) {
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = xml.name();
        const QString value = attribute(xml, "w:val");
        if (name == u"pStyle") {
            m_paragraph.style = value;
        } else if (name == u"outlineLvl") {
            const int level = value.toInt() + 1; // 0-based; 9 is body text
            m_paragraph.outlineLevel =
                level >= 1 && level <= 9 ? std::min(level, kMaxHeadingLevel) : 0;
        } else if (name == u"numId") {
            m_paragraph.numbered = value != u"0";
        } else if (name == u"rPr" || name == u"sectPr" || name == u"pPrChange") {
            xml.skipCurrentElement();
            --depth;
        }
    }
}

// ODF's text:note: the citation is left out and the body read into paragraphs of its own.
void OfficeReader::readInlineNote(QXmlStreamReader& xml) {
    if (m_noteNesting >= kMaxNoteNesting) {
        xml.skipCurrentElement(); // notes within notes within notes: no real document has them
        return;
    }
    ParagraphCollector body(m_progress);
    OfficeReader reader(m_format, m_styles, body);
    reader.m_noteNesting = m_noteNesting + 1;
    const Extraction::Status status = reader.readUntilEnd(xml, 0);
    const Extraction read = body.finish(status);
    if (read.status != Extraction::Status::Ok && m_noteStatus == Extraction::Status::Ok)
        m_noteStatus = read.status;
    QVector<Paragraph> paragraphs = read.paragraphs;
    for (const PlacedNote& inner : reader.notes()) // a note's own notes follow it
        paragraphs += inner.body;
    if (!paragraphs.isEmpty())
        m_notes.append(PlacedNote{m_out.paragraphCount(), paragraphs});
}

void OfficeReader::altText(QStringView alt) {
    if (alt.trimmed().isEmpty())
        return;
    m_out.appendBlank();
    m_out.append(alt);
    m_out.append(u" ");
}

} // namespace orasent
