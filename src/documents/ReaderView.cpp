#include "documents/ReaderView.h"

#include <QRegularExpression>

#include <cstring>
#include <unordered_map>
#include <vector>

namespace orasent {

namespace {

// Less text than this left after the chrome is taken out, and under a quarter of the page, means
// the chrome was misjudged.
constexpr qsizetype kMinMainChars = 500;

// Visible text and the part of it inside links, in characters, for each element.
struct TextStats {
    qsizetype text = 0;
    qsizetype links = 0;
    double density() const { return text > 0 ? double(links) / double(text) : 0.0; }
};
using StatsMap = std::unordered_map<const GumboNode*, TextStats>;

TextStats statsOf(const StatsMap& stats, const GumboNode* node) {
    const auto found = stats.find(node);
    return found == stats.end() ? TextStats() : found->second;
}

const GumboVector* childrenOf(const GumboNode* node) {
    if (node->type == GUMBO_NODE_ELEMENT)
        return &node->v.element.children;
    if (node->type == GUMBO_NODE_DOCUMENT)
        return &node->v.document.children;
    return nullptr;
}

const GumboNode* childAt(const GumboVector& children, unsigned i) {
    return static_cast<const GumboNode*>(children.data[i]);
}

bool isElement(const GumboNode* node, GumboTag tag) {
    return node->type == GUMBO_NODE_ELEMENT && node->v.element.tag == tag;
}

bool isUnread(const GumboNode* node) {
    if (node->type != GUMBO_NODE_ELEMENT)
        return false;
    switch (node->v.element.tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_SVG:
        return true;
    default:
        return false;
    }
}

// Post-order over the tree with an explicit stack: text counts go up to every ancestor. Nodes
// in `drops` count nothing.
StatsMap measure(const GumboNode* root, const DroppedNodes& drops = DroppedNodes()) {
    StatsMap stats;
    struct Frame {
        const GumboNode* node;
        unsigned next;
    };
    std::vector<Frame> stack{{root, 0}};
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const GumboNode* node = frame.node;
        const GumboVector* children = childrenOf(node);
        if (children && !isUnread(node) && frame.next < children->length) {
            stack.push_back({childAt(*children, frame.next++), 0});
            continue;
        }
        TextStats own;
        const bool counted = !drops.count(node);
        if (counted && (node->type == GUMBO_NODE_TEXT || node->type == GUMBO_NODE_CDATA))
            own.text = qsizetype(QString::fromUtf8(node->v.text.text).simplified().size());
        else if (counted)
            own = stats[node];
        if (isElement(node, GUMBO_TAG_A))
            own.links = own.text;
        stats[node] = own;
        stack.pop_back();
        if (!stack.empty()) {
            TextStats& parent = stats[stack.back().node];
            parent.text += own.text;
            parent.links += own.links;
        }
    }
    return stats;
}

bool matches(const QRegularExpression& pattern, const GumboNode* node) {
    const QString both = attributeOf(node->v.element, "class") + QLatin1Char(' ') +
                         attributeOf(node->v.element, "id");
    return pattern.match(both).hasMatch();
}

// Page chrome by its element or role.
bool isChrome(const GumboNode* node, bool inArticle) {
    static const QRegularExpression chromeRoles(
        QStringLiteral("^(navigation|banner|contentinfo|complementary|search|menu|menubar|"
                       "dialog|alertdialog|alert|toolbar|tablist)$"),
        QRegularExpression::CaseInsensitiveOption);
    switch (node->v.element.tag) {
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_INPUT:
    case GUMBO_TAG_SELECT:
        return true;
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_ASIDE:
        if (!inArticle)
            return true;
        break;
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_ARTICLE:
        return false;
    default:
        break;
    }
    return chromeRoles.match(attributeOf(node->v.element, "role").trimmed()).hasMatch();
}

// Chrome by its class and id names ("sidebar", "cookie-banner").
bool hasChromeName(const GumboNode* node) {
    static const QRegularExpression unlikely(
        QStringLiteral("-ad-|banner|breadcrumb|combx|comment|community|cookie|consent|disqus|"
                       "footer|gdpr|header|menu|related|remark|replies|rss|shoutbox|sidebar|"
                       "skyscraper|social|sponsor|supplemental|ad-break|agegate|pagination|"
                       "pager|popup|navbox|printfooter|catlinks|mw-jump|noprint|editsection|"
                       "share|newsletter|subscribe|toolbar|masthead|skip-link|jump-to"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression maybe(QStringLiteral("article|body|column|main|shadow"),
                                          QRegularExpression::CaseInsensitiveOption);
    switch (node->v.element.tag) {
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_HTML:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_ARTICLE:
        return false;
    default:
        return matches(unlikely, node) && !matches(maybe, node);
    }
}

// A list or block made mostly of links: a menu, a list of related pages.
bool isLinkList(const GumboNode* node, const TextStats& stats) {
    switch (node->v.element.tag) {
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_SECTION:
        return stats.text > 0 && stats.density() > 0.5;
    default:
        return false;
    }
}

const GumboNode* findBody(const GumboNode* document) {
    std::vector<const GumboNode*> stack{document};
    while (!stack.empty()) {
        const GumboNode* node = stack.back();
        stack.pop_back();
        if (isElement(node, GUMBO_TAG_BODY))
            return node;
        if (const GumboVector* children = childrenOf(node); children && !isUnread(node))
            for (unsigned i = 0; i < children->length; ++i)
                if (childAt(*children, i)->type == GUMBO_NODE_ELEMENT ||
                    childAt(*children, i)->type == GUMBO_NODE_DOCUMENT)
                    stack.push_back(childAt(*children, i));
    }
    return nullptr;
}

struct Survey {
    std::vector<const GumboNode*> mains;    // <main>, role="main"
    std::vector<const GumboNode*> articles; // <article>
    std::vector<const GumboNode*> blocks;   // text blocks that score their ancestors
};

// Marks the chrome and link lists as dropped and notes where the main part may be.
Survey survey(const GumboNode* body, const StatsMap& stats, DroppedNodes* drops) {
    Survey found;
    struct Item {
        const GumboNode* node;
        bool inArticle;
    };
    std::vector<Item> stack{{body, false}};
    while (!stack.empty()) {
        const Item item = stack.back();
        stack.pop_back();
        const GumboNode* node = item.node;
        if (node->type != GUMBO_NODE_ELEMENT || isUnread(node))
            continue;
        // A wrapper whose name sounds like chrome but that holds most of the page is kept.
        const bool namedChrome =
            hasChromeName(node) && statsOf(stats, node).text * 2 < statsOf(stats, body).text;
        if (node != body && (isChrome(node, item.inArticle) || namedChrome ||
                             isLinkList(node, statsOf(stats, node)))) {
            drops->insert(node);
            continue;
        }
        const GumboTag tag = node->v.element.tag;
        const bool main = tag == GUMBO_TAG_MAIN ||
                          attributeOf(node->v.element, "role").trimmed() == QLatin1String("main");
        if (main)
            found.mains.push_back(node);
        if (tag == GUMBO_TAG_ARTICLE)
            found.articles.push_back(node);
        if (tag == GUMBO_TAG_P || tag == GUMBO_TAG_PRE || tag == GUMBO_TAG_TD ||
            tag == GUMBO_TAG_BLOCKQUOTE)
            found.blocks.push_back(node);
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i-- > 0;)
            stack.push_back(
                {childAt(children, i), item.inArticle || main || tag == GUMBO_TAG_ARTICLE});
    }
    return found;
}

// Text of a node left after the drops.
qsizetype keptText(const GumboNode* node, const StatsMap& kept) {
    return statsOf(kept, node).text;
}

// Text blocks score their parent fully and grandparent by half, by their length.
const GumboNode* bestScored(const Survey& found, const StatsMap& stats) {
    std::unordered_map<const GumboNode*, double> scores;
    for (const GumboNode* block : found.blocks) {
        const qsizetype length = statsOf(stats, block).text;
        if (length < 25 || !block->parent)
            continue;
        const double score = 1.0 + qMin(3.0, double(length) / 100.0);
        scores[block->parent] += score;
        if (block->parent->parent && block->parent->parent->type == GUMBO_NODE_ELEMENT)
            scores[block->parent->parent] += score / 2;
    }
    const GumboNode* best = nullptr;
    double bestScore = 0;
    for (const auto& [node, score] : scores) {
        const double weighted = score * (1.0 - statsOf(stats, node).density());
        if (weighted > bestScore) {
            best = node;
            bestScore = weighted;
        }
    }
    return bestScore >= 20 ? best : nullptr;
}

// Goes down while one element child holds nearly all of the text: from a main that also holds
// the page title and the site's line to the article's own text.
const GumboNode* narrow(const GumboNode* node, const StatsMap& kept, const DroppedNodes& drops) {
    for (;;) {
        const qsizetype total = keptText(node, kept);
        const GumboNode* heavy = nullptr;
        const GumboVector& children = node->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const GumboNode* child = childAt(children, i);
            if (child->type != GUMBO_NODE_ELEMENT || drops.count(child))
                continue;
            const GumboTag tag = child->v.element.tag;
            if (tag != GUMBO_TAG_DIV && tag != GUMBO_TAG_SECTION && tag != GUMBO_TAG_ARTICLE &&
                tag != GUMBO_TAG_MAIN)
                continue;
            if (double(keptText(child, kept)) >= 0.9 * double(total))
                heavy = child;
        }
        if (!heavy || total == 0)
            return node;
        node = heavy;
    }
}

// The main part: one <main> or role="main", else the one <article> with most of the text, else
// the best-scored block; null when none stands out.
const GumboNode* mainPart(const GumboNode* body, const Survey& found, const StatsMap& stats,
                          const StatsMap& kept, const DroppedNodes& drops) {
    const qsizetype bodyText = keptText(body, kept);
    if (found.mains.size() == 1 && keptText(found.mains.front(), kept) * 5 >= bodyText)
        return narrow(found.mains.front(), kept, drops);
    if (found.articles.size() == 1 && keptText(found.articles.front(), kept) * 2 >= bodyText)
        return narrow(found.articles.front(), kept, drops);
    const GumboNode* best = bestScored(found, stats);
    if (best && keptText(best, kept) * 2 >= bodyText)
        return best;
    return nullptr;
}

} // namespace

const char* elementName(const GumboNode* node) {
    return gumbo_normalized_tagname(node->v.element.tag);
}

QString attributeOf(const GumboElement& element, std::string_view name) {
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto* a = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        if (name == a->name)
            return QString::fromUtf8(a->value);
    }
    return {};
}

DroppedNodes readerViewDrops(const GumboNode* document) {
    DroppedNodes drops;
    const GumboNode* body = findBody(document);
    if (!body)
        return drops;
    const StatsMap stats = measure(body);
    const Survey found = survey(body, stats, &drops);
    const StatsMap kept = measure(body, drops);
    // Chrome that took nearly all the text was not chrome: the page is read whole.
    if (keptText(body, kept) < kMinMainChars && keptText(body, kept) * 4 < keptText(body, stats))
        return DroppedNodes();
    const GumboNode* main = mainPart(body, found, stats, kept, drops);
    if (!main)
        return drops;
    // Everything beside the path from the body down to the main part.
    for (const GumboNode* node = main; node != body && node->parent; node = node->parent) {
        const GumboVector* siblings = childrenOf(node->parent);
        for (unsigned i = 0; siblings && i < siblings->length; ++i)
            if (childAt(*siblings, i) != node)
                drops.insert(childAt(*siblings, i));
    }
    return drops;
}

} // namespace orasent
