// Web pages through gumbo, the HTML5 parser.
#include "common/TextCodec.h"
#include "documents/MarkupText.h"
#include "documents/ReaderView.h"

#include <QStringDecoder>

#include <algorithm>
#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include <gumbo.h>

namespace orasent {

namespace {

// Gumbo's memory comes from blocks that are all released at once: freeing the tree is then
// neither recursive (a deeply nested page would overflow the stack) nor slow. Gumbo allocates
// all the time while it parses, so the arena is also where Cancel is noticed: it jumps out of
// the parse (gumbo is C and holds nothing but arena memory).
class Arena {
public:
    Arena(ParagraphCollector& out, std::jmp_buf* escape) : m_out(out), m_escape(escape) {}

    static void* allocate(void* self, size_t size) { return static_cast<Arena*>(self)->take(size); }
    static void deallocate(void*, void*) {}

private:
    static constexpr unsigned kAllocationsPerCancelCheck = 4096;

    void* take(size_t size) {
        if (++m_allocations % kAllocationsPerCancelCheck == 0 && m_out.cancelRequested())
            std::longjmp(*m_escape, 1);
        size = (size + 15) & ~size_t(15);
        if (size > m_left) {
            const size_t blockSize = std::max(size, kBlockBytes);
            m_blocks.emplace_back(static_cast<char*>(std::malloc(blockSize)));
            if (!m_blocks.back())
                std::abort(); // out of memory: gumbo cannot take a failure
            m_next = m_blocks.back().get();
            m_left = blockSize;
        }
        void* result = m_next;
        m_next += size;
        m_left -= size;
        return result;
    }
    struct Free {
        void operator()(char* p) const { std::free(p); }
    };
    static constexpr size_t kBlockBytes = size_t(1) << 20;
    ParagraphCollector& m_out;
    std::jmp_buf* m_escape;
    unsigned m_allocations = 0;
    std::vector<std::unique_ptr<char, Free>> m_blocks;
    char* m_next = nullptr;
    size_t m_left = 0;
};

// Depth-first over the tree with an explicit stack: pages may nest without limit. Nodes in
// `dropped` are not read.
void walk(const GumboNode* root, ParagraphCollector& out, MarkupCollector& markup,
          const DroppedNodes& dropped) {
    struct Frame {
        const GumboNode* node;
        unsigned next;
    };
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty() && out.tick()) {
        Frame& frame = stack.back();
        const GumboNode* node = frame.node;
        if (frame.next == 0 && dropped.count(node)) {
            stack.pop_back();
            continue;
        }
        if (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_CDATA ||
            node->type == GUMBO_NODE_WHITESPACE) {
            markup.text(QString::fromUtf8(node->v.text.text));
            stack.pop_back();
            continue;
        }
        if (node->type != GUMBO_NODE_ELEMENT && node->type != GUMBO_NODE_DOCUMENT) {
            stack.pop_back(); // comments, templates
            continue;
        }
        const bool element = node->type == GUMBO_NODE_ELEMENT;
        const GumboVector& children =
            element ? node->v.element.children : node->v.document.children;
        const char* name = element ? elementName(node) : "";
        if (element && frame.next == 0) {
            const auto attribute = [node](std::string_view key) {
                return attributeOf(node->v.element, key);
            };
            if (!markup.startElement(name, attribute)) {
                stack.pop_back();
                continue;
            }
        }
        if (frame.next < children.length) {
            const auto* child = static_cast<const GumboNode*>(children.data[frame.next++]);
            stack.push_back({child, 0});
            continue;
        }
        if (element)
            markup.endElement(name);
        stack.pop_back();
    }
}

// The charset named by a <meta> in the page's first 1024 bytes: charset=NAME up to a quote,
// blank, semicolon or '>'.
QByteArray declaredCharset(const QByteArray& bytes) {
    const QByteArray head = bytes.left(1024).toLower();
    qsizetype at = head.indexOf("<meta");
    while (at >= 0) {
        const qsizetype end = head.indexOf('>', at);
        const QByteArray tag = head.mid(at, end < 0 ? -1 : end - at);
        const qsizetype key = tag.indexOf("charset=");
        if (key >= 0) {
            qsizetype from = key + 8;
            while (from < tag.size() && (tag[from] == '"' || tag[from] == '\''))
                ++from;
            qsizetype to = from;
            while (to < tag.size() && !std::strchr("\"'; />", tag[to]))
                ++to;
            return tag.mid(from, to - from);
        }
        at = head.indexOf("<meta", at + 5);
    }
    return {};
}

} // namespace

QByteArray htmlToUtf8(const QByteArray& bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return bytes.mid(3);
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                            : QStringDecoder::Utf16BE);
        return QString(decoder(bytes.mid(2))).toUtf8();
    }
    const QByteArray charset = declaredCharset(bytes);
    if (!charset.isEmpty() && charset != "utf-8" && charset != "utf8") {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid())
            return QString(decoder(bytes)).toUtf8();
    }
    if (isValidUtf8(bytes.constData(), bytes.size()))
        return bytes;
    return decodeText(bytes).toUtf8(); // Windows-1252
}

namespace {

// Null when Cancel stopped the parse. No object with a destructor lives between setjmp and
// the jump.
GumboOutput* parseWithEscape(const GumboOptions& options, const QByteArray& utf8,
                             std::jmp_buf& escape) {
    if (setjmp(escape) != 0)
        return nullptr;
    return gumbo_parse_with_options(&options, utf8.constData(), size_t(utf8.size()));
}

} // namespace

void collectHtml(const QByteArray& bytes, MarkupCollector& markup, bool readerView) {
    ParagraphCollector& out = markup.collector();
    const QByteArray utf8 = htmlToUtf8(bytes);
    std::jmp_buf escape;
    Arena arena(out, &escape);
    GumboOptions options = kGumboDefaultOptions;
    options.allocator = &Arena::allocate;
    options.deallocator = &Arena::deallocate;
    options.userdata = &arena;
    options.max_errors = 0; // errors are not reported, so not kept
    GumboOutput* output = parseWithEscape(options, utf8, escape);
    if (output) {
        const DroppedNodes dropped =
            readerView ? readerViewDrops(output->document) : DroppedNodes();
        walk(output->document, out, markup, dropped);
    }
    out.endParagraph();
    // No gumbo_destroy_output: the arena releases everything.
}

Extraction extractHtmlParagraphs(const QByteArray& bytes, const LoadProgress& progress) {
    ParagraphCollector out(progress);
    MarkupCollector markup(out, QString(), QString());
    collectHtml(bytes, markup, true);
    markup.finish();
    Extraction result = out.finish();
    takeHead(markup, &result);
    return result;
}

} // namespace orasent
