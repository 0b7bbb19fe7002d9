#include "speech/PronunciationRules.h"

#include "speech/CharacterCase.h"
#include "speech/RulePattern.h"

#include <QHash>
#include <algorithm>
#include <deque>
#include <unordered_map>

namespace orasent {

namespace {

// Ranks of the groups at one place: the document's rules first, the book's own lexicons, the
// language's rules, then the rules for every document.
constexpr int kGroupStride = 1000000;

int groupOf(const PronunciationRule& rule, bool bookLexicon) {
    if (bookLexicon)
        return 1;
    switch (rule.scope) {
    case PronunciationRule::Scope::Document:
        return 0;
    case PronunciationRule::Scope::Language:
        return 2;
    case PronunciationRule::Scope::Everywhere:
        break;
    }
    return 3;
}

bool applies(const PronunciationRule& rule, const SpeechContext& context, bool bookLexicon) {
    if (bookLexicon)
        return true; // the book's lexicons were chosen for the book being read
    switch (rule.scope) {
    case PronunciationRule::Scope::Document:
        return !context.documentKey.isEmpty() &&
               rule.scopeKey.compare(QLatin1String(context.documentKey), Qt::CaseInsensitive) == 0;
    case PronunciationRule::Scope::Language:
        return languageApplies(rule.scopeKey, context.language);
    case PronunciationRule::Scope::Everywhere:
        break;
    }
    return true;
}

bool isWordUnit(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c == u'_' || c.isSurrogate();
}

char16_t folded(QChar c) {
    return c.isSurrogate() ? c.unicode() : c.toCaseFolded().unicode();
}

QString escapedForXml(QString text) {
    text.replace(u'&', QStringLiteral("&amp;"));
    text.replace(u'<', QStringLiteral("&lt;"));
    text.replace(u'>', QStringLiteral("&gt;"));
    return text;
}

// $0..$99 take the pattern's groups; $$ is a dollar sign.
QString withReferences(const QString& alias, const QStringList& captures) {
    if (captures.isEmpty() || !alias.contains(u'$'))
        return alias;
    QString out;
    for (qsizetype i = 0; i < alias.size(); ++i) {
        const QChar c = alias[i];
        if (c != u'$' || i + 1 >= alias.size()) {
            out.append(c);
        } else if (alias[i + 1] == u'$') {
            out.append(u'$');
            ++i;
        } else if (alias[i + 1].isDigit()) {
            int group = alias[++i].digitValue();
            if (i + 1 < alias.size() && alias[i + 1].isDigit() &&
                group * 10 + alias[i + 1].digitValue() < captures.size())
                group = group * 10 + alias[++i].digitValue();
            out.append(captures.value(group));
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace

bool PronunciationRule::operator==(const PronunciationRule& o) const {
    return text == o.text && match == o.match && matchCase == o.matchCase && say == o.say &&
           alias == o.alias && sounds == o.sounds && scope == o.scope && scopeKey == o.scopeKey;
}

bool languageApplies(const QString& ruleLanguage, const QString& passageLanguage) {
    if (ruleLanguage.isEmpty())
        return true;
    QString rule = ruleLanguage;
    QString passage = passageLanguage;
    rule.replace(u'_', u'-');
    passage.replace(u'_', u'-');
    if (passage.compare(rule, Qt::CaseInsensitive) == 0)
        return true;
    return passage.size() > rule.size() && passage[rule.size()] == u'-' &&
           passage.startsWith(rule, Qt::CaseInsensitive);
}

// Aho-Corasick over case-folded UTF-16 units: one pass over the text finds every literal rule.
struct PronunciationRules::Automaton {
    struct Node {
        int fail = 0;
        int output = -1; // next node on the fail chain that ends a rule
        std::vector<int> rules;
    };
    std::vector<Node> nodes{Node()};
    std::unordered_map<quint64, int> edges;

    static quint64 key(int node, char16_t unit) { return (quint64(node) << 16) | unit; }
    int next(int node, char16_t unit) const {
        const auto it = edges.find(key(node, unit));
        return it == edges.end() ? -1 : it->second;
    }

    void add(const QString& text, int rule) {
        int node = 0;
        for (const QChar c : text) {
            const char16_t unit = folded(c);
            int child = next(node, unit);
            if (child < 0) {
                child = int(nodes.size());
                nodes.emplace_back();
                edges.emplace(key(node, unit), child);
            }
            node = child;
        }
        nodes[size_t(node)].rules.push_back(rule);
    }

    void link() {
        std::vector<std::vector<std::pair<char16_t, int>>> children(nodes.size());
        for (const auto& [k, child] : edges)
            children[size_t(k >> 16)].emplace_back(char16_t(k & 0xFFFF), child);
        std::deque<int> queue{0};
        while (!queue.empty()) {
            const int node = queue.front();
            queue.pop_front();
            for (const auto& [unit, child] : children[size_t(node)]) {
                int fail = 0;
                if (node != 0) {
                    fail = nodes[size_t(node)].fail;
                    while (fail != 0 && next(fail, unit) < 0)
                        fail = nodes[size_t(fail)].fail;
                    fail = std::max(next(fail, unit), 0);
                }
                Node& c = nodes[size_t(child)];
                c.fail = fail;
                c.output = nodes[size_t(fail)].rules.empty() ? nodes[size_t(fail)].output : fail;
                queue.push_back(child);
            }
        }
    }
};

PronunciationRules::PronunciationRules(QVector<PronunciationRule> rules)
    : m_rules(std::move(rules)), m_literals(std::make_unique<Automaton>()) {
    if (m_rules.size() > kMostRules)
        m_rules.resize(kMostRules);
    for (int i = 0; i < m_rules.size(); ++i) {
        const PronunciationRule& rule = m_rules[i];
        if (rule.text.isEmpty() || rule.text.size() > kMostRuleText)
            continue;
        if (rule.match == PronunciationRule::Match::Pattern)
            m_patterns.push_back({i, std::make_shared<RulePattern>(rule.text, rule.matchCase)});
        else
            m_literals->add(rule.text, i);
    }
    m_literals->link();
}

PronunciationRules::~PronunciationRules() = default;

QStringList PronunciationRules::problems() const {
    QStringList out;
    for (const CompiledPattern& p : m_patterns)
        if (!p.pattern->isValid())
            out.append(m_rules[p.rule].text + QStringLiteral(": ") + p.pattern->error());
    return out;
}

void PronunciationRules::collect(const QString& text, const QString& matchText,
                                 const SpeechContext& context, bool bookLexicon,
                                 std::vector<Candidate>& out,
                                 const std::function<void(const QString&)>& notice) const {
    if (m_rules.isEmpty())
        return;
    const qsizetype n = text.size();
    int state = 0;
    const auto& nodes = m_literals->nodes;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = folded(text[i]);
        int to = m_literals->next(state, unit);
        while (to < 0 && state != 0) {
            state = nodes[size_t(state)].fail;
            to = m_literals->next(state, unit);
        }
        state = to < 0 ? 0 : to;
        for (int node = nodes[size_t(state)].rules.empty() ? nodes[size_t(state)].output : state;
             node > 0; node = nodes[size_t(node)].output) {
            for (const int index : nodes[size_t(node)].rules) {
                const PronunciationRule& rule = m_rules[index];
                const qsizetype length = rule.text.size();
                const qsizetype start = i + 1 - length;
                if (!applies(rule, context, bookLexicon))
                    continue;
                if (rule.match == PronunciationRule::Match::Word &&
                    ((isWordUnit(rule.text.front()) && start > 0 && isWordUnit(text[start - 1])) ||
                     (isWordUnit(rule.text.back()) && i + 1 < n && isWordUnit(text[i + 1]))))
                    continue;
                if (rule.matchCase && QStringView(matchText).mid(start, length) != rule.text)
                    continue;
                out.push_back(
                    {start, length, groupOf(rule, bookLexicon) * kGroupStride + index, &rule, {}});
            }
        }
    }
    for (const CompiledPattern& p : m_patterns) {
        const PronunciationRule& rule = m_rules[p.rule];
        if (!applies(rule, context, bookLexicon) || !p.pattern->isValid())
            continue;
        const int rank = groupOf(rule, bookLexicon) * kGroupStride + p.rule;
        const bool complete = p.pattern->forEachMatch(
            matchText, [&](qsizetype start, qsizetype length, QStringList captures) {
                out.push_back({start, length, rank, &rule, std::move(captures)});
            });
        if (!complete && notice && !p.noticed->exchange(true))
            notice(QStringLiteral("The pronunciation pattern \"%1\" took too long and was skipped.")
                       .arg(rule.text.left(80)));
    }
}

QString sayingFor(const PronunciationRule& rule, QStringView matched, const QStringList& captures,
                  const SpeechContext& context) {
    QString said;
    switch (rule.say) {
    case PronunciationRule::Say::Skip:
        return {};
    case PronunciationRule::Say::Spell:
        for (const QChar c : matched)
            if (!c.isSpace())
                said += (said.isEmpty() ? QString() : QStringLiteral(" ")) + c;
        return context.xml ? escapedForXml(said) : said;
    case PronunciationRule::Say::Sounds:
        if (context.inlineSounds && !rule.sounds.isEmpty()) {
            said = context.inlineSounds(rule.sounds);
            if (!said.isEmpty())
                break;
        }
        said = rule.alias.isEmpty() ? matched.toString() : withReferences(rule.alias, captures);
        break;
    case PronunciationRule::Say::Alias:
        said = withReferences(rule.alias, captures);
        break;
    }
    if (said.size() > kMostReplacement)
        said.truncate(kMostReplacement);
    return context.xml ? escapedForXml(said) : said;
}

QString ruleProblem(const PronunciationRule& rule) {
    if (rule.text.isEmpty())
        return QStringLiteral("The rule has no text to match.");
    if (rule.text.size() > kMostRuleText)
        return QStringLiteral("The text to match is longer than %1 characters.").arg(kMostRuleText);
    if (rule.match != PronunciationRule::Match::Pattern)
        return {};
    const QRegularExpression expression(rule.text);
    if (expression.isValid())
        return {};
    return QStringLiteral("The pattern is not valid at character %1: %2.")
        .arg(expression.patternErrorOffset() + 1)
        .arg(expression.errorString());
}

namespace {

// Spelling puts a blank after each letter but the last; each letter stays where it was written,
// so the band follows the letters.
void appendSpelled(QString& out, QStringView matched, bool xml, TextEdits* edits) {
    bool first = true;
    for (qsizetype i = 0; i < matched.size(); ++i) {
        const QChar c = matched[i];
        if (c.isSpace())
            continue;
        if (!first && !c.isLowSurrogate()) {
            if (edits)
                edits->add(out.size(), 0, 1);
            out.append(u' ');
        }
        first = false;
        if (edits && i > 0 && matched[i - 1].isSpace())
            edits->add(out.size(), 1, 0); // the written blank is dropped
        const QString unit = xml ? escapedForXml(QString(c)) : QString(c);
        if (edits && unit.size() != 1)
            edits->add(out.size(), 1, unit.size());
        out.append(unit);
    }
}

} // namespace

QString applyPronunciation(const QString& text, const QString& casedText,
                           const PronunciationRules* userRules, const PronunciationRules* bookRules,
                           const SpeechContext& context, TextEdits* edits,
                           const std::function<void(const QString&)>& notice) {
    const bool userEmpty = !userRules || userRules->isEmpty();
    const bool bookEmpty = !bookRules || bookRules->isEmpty();
    if ((userEmpty && bookEmpty) || text.isEmpty())
        return text;
    const QString& matchText = casedText.size() == text.size() ? casedText : text;
    std::vector<PronunciationRules::Candidate> candidates;
    if (!userEmpty)
        userRules->collect(text, matchText, context, false, candidates, notice);
    if (!bookEmpty)
        bookRules->collect(text, matchText, context, true, candidates, notice);
    if (candidates.empty())
        return text;
    std::sort(candidates.begin(), candidates.end(), [](const auto& a, const auto& b) {
        return a.start != b.start ? a.start < b.start : a.rank < b.rank;
    });
    QString out;
    out.reserve(text.size());
    qsizetype done = 0;
    for (const auto& c : candidates) {
        if (c.start < done || c.length <= 0)
            continue;
        out.append(QStringView(text).mid(done, c.start - done));
        const QStringView matched = QStringView(matchText).mid(c.start, c.length);
        if (c.rule->say == PronunciationRule::Say::Spell) {
            appendSpelled(out, matched, context.xml, edits);
        } else {
            QString said = sayingFor(*c.rule, matched, c.captures, context);
            // A skip between two words leaves them apart.
            if (said.isEmpty() && c.start > 0 && c.start + c.length < text.size() &&
                !text[c.start - 1].isSpace() && !text[c.start + c.length].isSpace())
                said = QStringLiteral(" ");
            if (edits)
                edits->add(out.size(), c.length, said.size());
            out.append(said);
        }
        done = c.start + c.length;
    }
    out.append(QStringView(text).mid(done));
    return out;
}

QString writtenCaseOf(const QString& rewritten, const QString& written,
                      const TextEdits& listEdits) {
    if (listEdits.isEmpty())
        return written.size() == rewritten.size() ? written : rewritten;
    QString cased = rewritten;
    for (qsizetype i = 0; i < cased.size(); ++i) {
        const auto [start, length] = listEdits.originalSpan(i, 1);
        if (length == 1 && start < written.size() &&
            upperCaseCodePoint(written[start].unicode()) == cased[i].unicode())
            cased[i] = written[start];
    }
    return cased;
}

} // namespace orasent
