#include "documents/MarkdownText.h"

#include "common/TextCodec.h"
#include "documents/MarkupText.h"

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

void appendLiteral(cmark_node* node, ParagraphCollector& out) {
    const char* literal = cmark_node_get_literal(node);
    if (literal)
        out.appendUtf8(literal, qsizetype(std::strlen(literal)));
}

void visit(cmark_node* node, cmark_event_type event, ParagraphCollector& out) {
    const cmark_node_type type = cmark_node_get_type(node);
    if (endsParagraph(type)) {
        out.endParagraph();
        if (event == CMARK_EVENT_EXIT)
            return;
    }
    if (event != CMARK_EVENT_ENTER)
        return;
    switch (type) {
    case CMARK_NODE_TEXT:
    case CMARK_NODE_CODE:
    case CMARK_NODE_CODE_BLOCK:
        appendLiteral(node, out);
        break;
    case CMARK_NODE_SOFTBREAK:
    case CMARK_NODE_LINEBREAK:
        out.appendBlank();
        break;
    case CMARK_NODE_HTML_BLOCK: {
        const char* literal = cmark_node_get_literal(node);
        if (literal)
            collectHtml(QByteArray(literal), out);
        break;
    }
    default:
        break; // inline HTML tags, containers, emphasis and links add no text of their own
    }
}

} // namespace

Extraction extractMarkdownParagraphs(const QByteArray& bytes, const LoadProgress& progress) {
    QByteArray utf8 = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (!isValidUtf8(utf8.constData(), utf8.size()))
        utf8 = decodeText(utf8).toUtf8();
    std::unique_ptr<cmark_node, FreeNode> document(
        cmark_parse_document(utf8.constData(), size_t(utf8.size()), CMARK_OPT_DEFAULT));
    ParagraphCollector out(progress);
    if (!document)
        return out.finish(Extraction::Status::Corrupt);
    std::unique_ptr<cmark_iter, FreeIter> iter(cmark_iter_new(document.get()));
    cmark_event_type event;
    while ((event = cmark_iter_next(iter.get())) != CMARK_EVENT_DONE && out.tick())
        visit(cmark_iter_get_node(iter.get()), event, out);
    return out.finish();
}

} // namespace orasent
