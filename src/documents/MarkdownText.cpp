#include "documents/MarkdownText.h"

#include "common/TextCodec.h"
#include "documents/MarkupText.h"

#include <QRegularExpression>

#include <cstring>
#include <memory>

#include <cmark.h>

namespace orasent {

namespace {

struct FreeNode {
    void operator()(cmark_node* node) const { cmark_node_free(node); }
};
struct FreeIter {
    void operator()(cmark_iter* iter) const { cmark_iter_free(iter); }
};

bool endsParagraph(cmark_node_type type) {
    switch (type) {
    case CMARK_NODE_PARAGRAPH:
    case CMARK_NODE_HEADING:
    case CMARK_NODE_ITEM:
    case CMARK_NODE_CODE_BLOCK:
    case CMARK_NODE_THEMATIC_BREAK:
    case CMARK_NODE_BLOCK_QUOTE:
    case CMARK_NODE_HTML_BLOCK:
        return true;
    default:
        return false;
    }
}

// Walks one cmark tree into the collector; every paragraph of a note is a Note.
class MarkdownWalk {
public:
    MarkdownWalk(ParagraphCollector& out, bool notes) : m_out(out), m_notes(notes) {}

    void visit(cmark_node* node, cmark_event_type event) {
        const cmark_node_type type = cmark_node_get_type(node);
        if (type == CMARK_NODE_HEADING || type == CMARK_NODE_ITEM) {
            if (event == CMARK_EVENT_ENTER)
                m_kinds.append(
                    {type == CMARK_NODE_HEADING ? Paragraph::Kind::Heading
                                                : Paragraph::Kind::ListItem,
                     type == CMARK_NODE_HEADING ? cmark_node_get_heading_level(node) : 0});
            else if (!m_kinds.isEmpty())
                m_kinds.removeLast();
        }
        if (endsParagraph(type)) {
            m_out.endParagraph();
            if (event == CMARK_EVENT_EXIT)
                return;
        }
        if (event == CMARK_EVENT_ENTER)
            enter(node, type);
    }

private:
    struct KindLevel {
        Paragraph::Kind kind;
        int level;
    };

    void enter(cmark_node* node, cmark_node_type type) {
        switch (type) {
        case CMARK_NODE_TEXT:
        case CMARK_NODE_CODE:
        case CMARK_NODE_CODE_BLOCK:
            if (const char* literal = cmark_node_get_literal(node)) {
                applyKind();
                m_out.appendUtf8(literal, qsizetype(std::strlen(literal)));
            }
            break;
        case CMARK_NODE_SOFTBREAK:
        case CMARK_NODE_LINEBREAK:
            m_out.appendBlank();
            break;
        case CMARK_NODE_HTML_BLOCK:
            if (const char* literal = cmark_node_get_literal(node)) {
                MarkupCollector markup(m_out, QString(), QString());
                collectHtml(QByteArray(literal), markup);
            }
            break;
        default:
            break; // inline HTML tags, containers, emphasis and links add no text of their own
        }
    }

    void applyKind() {
        if (!m_out.paragraphBlank())
            return;
        if (m_notes)
            m_out.setParagraphKind(Paragraph::Kind::Note);
        else if (!m_kinds.isEmpty())
            m_out.setParagraphKind(m_kinds.constLast().kind, m_kinds.constLast().level);
    }

    ParagraphCollector& m_out;
    bool m_notes;
    QVector<KindLevel> m_kinds;
};

void walkMarkdown(const QByteArray& utf8, ParagraphCollector& out, bool notes) {
    std::unique_ptr<cmark_node, FreeNode> document(
        cmark_parse_document(utf8.constData(), size_t(utf8.size()), CMARK_OPT_DEFAULT));
    if (!document)
        return;
    std::unique_ptr<cmark_iter, FreeIter> iter(cmark_iter_new(document.get()));
    MarkdownWalk walk(out, notes);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE && out.tick())
        walk.visit(cmark_iter_get_node(iter.get()), event);
    out.endParagraph();
}

// A YAML block ("---" ... "---" or "...") or a title block ("% Title", "% Author") at the
// start: its title, author and language; the lines are not read.
QByteArray takeTitleBlock(const QByteArray& utf8, DocumentMetadata* metadata) {
    QList<QByteArray> lines = utf8.split('\n');
    int end = 0;
    if (!lines.isEmpty() && lines.first().trimmed() == "---") {
        for (int i = 1; i < lines.size() && i < 200 && end == 0; ++i) {
            const QByteArray line = lines.at(i).trimmed();
            if (line == "---" || line == "...")
                end = i + 1;
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            const QByteArray key = line.left(colon).trimmed().toLower();
            QString value = QString::fromUtf8(line.mid(colon + 1).trimmed());
            if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\''))
                value = value.mid(1, value.size() - 2);
            if (key == "title" && metadata->title.isEmpty())
                metadata->title = value;
            else if (key == "author" && metadata->author.isEmpty())
                metadata->author = value;
            else if (key == "lang" || key == "language")
                metadata->language = cleanLanguageTag(value);
        }
        if (end == 0)
            metadata->title = metadata->author = metadata->language = QString();
    } else {
        while (end < 3 && end < lines.size() && lines.at(end).startsWith('%')) {
            const QString value = QString::fromUtf8(lines.at(end).mid(1).trimmed());
            if (end == 0)
                metadata->title = value;
            else if (end == 1)
                metadata->author = value;
            ++end; // the third line is the date
        }
    }
    return end == 0 ? utf8 : lines.mid(end).join('\n');
}

// Footnote definitions ("[^1]: text" and the indented lines after it) taken out of the text,
// in order, as Markdown of their own; references ("[^1]") dropped from the text.
QByteArray takeFootnotes(const QByteArray& utf8, QList<QByteArray>* notes) {
    static const QRegularExpression definition(QStringLiteral("^\\[\\^[^\\]\\s]+\\]:[ \\t]?"));
    static const QRegularExpression reference(QStringLiteral("\\[\\^[^\\]\\s]+\\]"));
    if (!utf8.contains("[^"))
        return utf8;
    QStringList kept;
    bool inNote = false;
    const QStringList lines = QString::fromUtf8(utf8).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const QRegularExpressionMatch start = definition.match(line);
        if (start.hasMatch()) {
            notes->append(line.mid(start.capturedLength()).toUtf8());
            inNote = true;
        } else if (inNote && (line.trimmed().isEmpty() || line.startsWith(QLatin1String("    ")) ||
                              line.startsWith(QLatin1Char('\t')))) {
            notes->last() +=
                '\n' + (line.startsWith(QLatin1Char('\t')) ? line.mid(1) : line.mid(4)).toUtf8();
        } else {
            inNote = false;
            kept.append(line);
        }
    }
    QString text = kept.join(QLatin1Char('\n'));
    text.remove(reference);
    return text.toUtf8();
}

} // namespace

Extraction extractMarkdownParagraphs(const QByteArray& bytes, const LoadProgress& progress) {
    QByteArray utf8 = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (!isValidUtf8(utf8.constData(), utf8.size()))
        utf8 = decodeText(utf8).toUtf8();
    DocumentMetadata metadata;
    QList<QByteArray> notes;
    utf8 = takeFootnotes(takeTitleBlock(utf8, &metadata), &notes);
    ParagraphCollector out(progress);
    walkMarkdown(utf8, out, false);
    for (const QByteArray& note : std::as_const(notes))
        walkMarkdown(note, out, true);
    out.gatherNotes(0);
    Extraction result = out.finish();
    result.metadata = metadata;
    return result;
}

} // namespace orasent
