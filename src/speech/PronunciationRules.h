#pragma once
// Pronunciation rules: what a word, a phrase or a pattern is said as. They rewrite a text once,
// after the word replacement list: every rule is matched against that text as it stands, the
// leftmost match wins, and of several matches at one place the rule that comes first (the
// document's rules, then the book's own lexicons, the language's rules, then the rules for every
// document, each in list order). What a rule puts in is never matched again, so rules that
// feed each other (A to B, B to A) cannot chain.
#include "speech/TextEdits.h"

#include <QByteArray>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QVector>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

namespace orasent {

class RulePattern;

struct PronunciationRule {
    enum class Match { Word, Anywhere, Pattern };  // whole words, inside words, a regexp
    enum class Say { Alias, Sounds, Skip, Spell }; // say-as text, IPA, nothing, letters
    enum class Scope { Everywhere, Document, Language };

    QString text; // the word, phrase or regular expression matched
    Match match = Match::Word;
    bool matchCase = false;
    Say say = Say::Alias;
    QString alias;  // said for Alias; the stand-in for Sounds where the voice has no sounds
    QString sounds; // IPA, for Sounds
    Scope scope = Scope::Everywhere;
    QString scopeKey; // the document's library key, or the language (BCP 47)

    bool operator==(const PronunciationRule& o) const;
};

// Limits that keep a hostile rules file from stalling speech.
constexpr int kMostRules = 200000;
constexpr qsizetype kMostRuleText = 4096;     // characters matched by one rule
constexpr qsizetype kMostReplacement = 65536; // characters one rule puts in

// Where a text is being read: picks the rules that apply, and how sounds reach the voice.
struct SpeechContext {
    QByteArray documentKey; // the library's key of the document; empty: none
    QString language;       // the passage's language (BCP 47); empty: unknown
    bool xml = false;       // the text goes to the engine as markup: said text is escaped
    // The chosen voice's inline form of an IPA string; "" when it cannot say it.
    std::function<QString(const QString& ipa)> inlineSounds;
};

// A rule list compiled once: the literal words and phrases of every rule in one automaton, the
// patterns each compiled with a bounded match effort. Immutable, so a list can be shared with
// worker threads.
class PronunciationRules {
public:
    explicit PronunciationRules(QVector<PronunciationRule> rules = {});
    ~PronunciationRules();

    const QVector<PronunciationRule>& rules() const { return m_rules; }
    bool isEmpty() const { return m_rules.isEmpty(); }
    // The patterns that did not compile, as "pattern: message at offset N".
    QStringList problems() const;

    struct Candidate {
        qsizetype start;
        qsizetype length;
        int rank; // lower wins at one start
        const PronunciationRule* rule;
        QStringList captures; // a pattern's groups, for $1 references
    };
    // The matches of the rules that apply in `context`, ranked by group and list order. A
    // pattern that gives up on its effort limit adds nothing and is told to `notice` once.
    void collect(const QString& text, const QString& matchText, const SpeechContext& context,
                 bool bookLexicon, std::vector<Candidate>& out,
                 const std::function<void(const QString&)>& notice) const;

private:
    struct Automaton;
    struct CompiledPattern {
        int rule = 0;
        std::shared_ptr<RulePattern> pattern;
        std::shared_ptr<std::atomic<bool>> noticed = std::make_shared<std::atomic<bool>>(false);
    };

    QVector<PronunciationRule> m_rules;
    std::unique_ptr<Automaton> m_literals;
    std::vector<CompiledPattern> m_patterns;
};

// Rewrites `text` (already through the word replacement list and the upper-case step) with
// `userRules` and the document's own `bookRules` (either may be null). `casedText` is the text
// as it was written, of the same length as `text`, for matching case; empty: `text` itself.
// Every rewrite is recorded in `edits` when given. Returns the rewritten text. A pattern that
// gives up on its effort limit is skipped; `notice` (when given) is called once per pattern.
QString applyPronunciation(const QString& text, const QString& casedText,
                           const PronunciationRules* userRules, const PronunciationRules* bookRules,
                           const SpeechContext& context, TextEdits* edits = nullptr,
                           const std::function<void(const QString&)>& notice = {});

// The rule's replacement for one match, as said (spelling, sounds, alias with references).
QString sayingFor(const PronunciationRule& rule, QStringView matched, const QStringList& captures,
                  const SpeechContext& context);

// A rule list is sound: a pattern that does not compile is refused with where its error is.
// Returns "" when the rule can be kept.
QString ruleProblem(const PronunciationRule& rule);

// `rewritten` (the upper-case step and the replacement list applied to `written`, with the
// list's `listEdits`) with each character the list left alone back in its written case, so
// case-sensitive rules match "Bill" although the upper-case step made it "BILL".
QString writtenCaseOf(const QString& rewritten, const QString& written, const TextEdits& listEdits);

// "en" applies to "en-GB" and "EN_gb"; "en-GB" not to "en-US".
bool languageApplies(const QString& ruleLanguage, const QString& passageLanguage);

} // namespace orasent
