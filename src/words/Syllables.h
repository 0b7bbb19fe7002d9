#pragma once
// A word split into syllables. English comes from the pronouncing lexicon laid onto the
// spelling, with the hyphenation patterns (completed from the vowel groups) for words it lacks;
// other languages from their hyphenation patterns. Anything else (digits, other scripts, very long
// words) stays whole. Not thread-safe: one thread uses it.
#include <QString>
#include <QStringList>

#include <memory>

namespace orasent {

class PronouncingLexicon;
class HyphenPatterns;

struct SyllableSplit {
    enum class Source { Lexicon, Patterns, Whole };
    QStringList syllables; // joined they give the word as written
    Source source = Source::Whole;
};

class Syllables {
public:
    // The lexicon file and the patterns' folder; empty strings use those found at build time.
    // `waitForPatterns` false: a language whose patterns are still loading is left whole.
    explicit Syllables(const QString& lexiconPath = {}, const QString& patternsFolder = {},
                       bool waitForPatterns = true);
    ~Syllables();
    Syllables(const Syllables&) = delete;
    Syllables& operator=(const Syllables&) = delete;

    // `language` is BCP 47; "" counts as English.
    SyllableSplit split(const QString& word, const QString& language = {});
    // Without the lexicon (English: the patterns completed from the vowel groups), for measuring
    // the fallback apart from the lexicon.
    // `complete` false: the hyphenation patterns' cuts alone.
    SyllableSplit splitByPatterns(const QString& word, const QString& language = {},
                                  bool complete = true);
    bool hasLexicon() const;

    // "ba·na·na".
    static QString dotted(const QStringList& syllables);
    static constexpr QChar kDot = QChar(0x00B7);
    static constexpr int kLongestWord = 45; // letters; anything longer stays whole

private:
    SyllableSplit fromCuts(const QString& word, QList<int> cuts, SyllableSplit::Source source);
    SyllableSplit splitPart(const QString& word, const QString& language, bool lexicon,
                            bool complete = true);

    std::unique_ptr<PronouncingLexicon> m_lexicon;
    std::unique_ptr<HyphenPatterns> m_patterns;
};

} // namespace orasent
