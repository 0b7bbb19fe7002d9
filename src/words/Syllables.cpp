#include "words/Syllables.h"

#include "words/EnglishGuess.h"
#include "words/HyphenPatterns.h"
#include "words/PronouncingLexicon.h"
#include "words/SpellingAlignment.h"

namespace orasent {

namespace {
bool isEnglish(const QString& language) {
    return language.isEmpty() || language.section(QLatin1Char('-'), 0, 0).toLower() == "en";
}

// Letters, with apostrophes and hyphens inside; nothing else is split.
bool isSplittable(const QString& word) {
    if (word.isEmpty() || word.size() > Syllables::kLongestWord || !word.front().isLetter())
        return false;
    for (QChar c : word)
        if (!c.isLetter() && c != QLatin1Char('\'') && c != QChar(0x2019) && c != QLatin1Char('-'))
            return false;
    return true;
}
} // namespace

Syllables::Syllables(const QString& lexiconPath, const QString& patternsFolder,
                     bool waitForPatterns)
    : m_lexicon(std::make_unique<PronouncingLexicon>(
          lexiconPath.isEmpty() ? QStringLiteral(ORASENT_CMU_LEXICON) : lexiconPath)),
      m_patterns(std::make_unique<HyphenPatterns>(
          patternsFolder.isEmpty() ? QStringLiteral(ORASENT_HYPHEN_DIR) : patternsFolder,
          waitForPatterns)) {}

Syllables::~Syllables() = default;

bool Syllables::hasLexicon() const {
    return m_lexicon->isOpen();
}

QString Syllables::dotted(const QStringList& syllables) {
    return syllables.join(kDot);
}

SyllableSplit Syllables::fromCuts(const QString& word, QList<int> cuts,
                                  SyllableSplit::Source source) {
    SyllableSplit result;
    result.source = source;
    int from = 0;
    cuts << int(word.size());
    for (int cut : cuts) {
        if (cut <= from || cut > word.size())
            continue;
        result.syllables << word.mid(from, cut - from);
        from = cut;
    }
    return result;
}

// One part of a word without hyphens.
SyllableSplit Syllables::splitPart(const QString& word, const QString& language, bool lexicon,
                                   bool complete) {
    QString key = word.toLower();
    key.replace(QChar(0x2019), QLatin1Char('\''));
    if (lexicon && isEnglish(language)) {
        const auto phones = m_lexicon->lookUp(key);
        if (!phones.isEmpty())
            return fromCuts(word, syllableCuts(key, phones), SyllableSplit::Source::Lexicon);
    }
    if (isEnglish(language)) {
        // The patterns cut too seldom for syllables: the vowel groups add what they left out.
        const QList<int> cuts = m_patterns->cuts(key, QStringLiteral("en-US"));
        return fromCuts(word, complete ? completeCuts(key, cuts) : cuts,
                        SyllableSplit::Source::Patterns);
    }
    if (!m_patterns->hasLanguage(language))
        return fromCuts(word, {}, SyllableSplit::Source::Whole);
    return fromCuts(word, m_patterns->cuts(key, language), SyllableSplit::Source::Patterns);
}

SyllableSplit Syllables::split(const QString& word, const QString& language) {
    if (!isSplittable(word))
        return fromCuts(word, {}, SyllableSplit::Source::Whole);
    // A compound's parts are split on their own; the hyphen stays on the part before it.
    const QStringList parts = word.split(QLatin1Char('-'));
    SyllableSplit result;
    bool allLexicon = true, anyPatterns = false;
    for (int i = 0; i < parts.size(); ++i) {
        SyllableSplit part = splitPart(parts.at(i), language, true);
        if (part.syllables.isEmpty())
            part.syllables << QString();
        if (i + 1 < parts.size())
            part.syllables.last() += QLatin1Char('-');
        allLexicon = allLexicon && part.source == SyllableSplit::Source::Lexicon;
        anyPatterns = anyPatterns || part.source == SyllableSplit::Source::Patterns;
        result.syllables += part.syllables;
    }
    result.source = allLexicon    ? SyllableSplit::Source::Lexicon
                    : anyPatterns ? SyllableSplit::Source::Patterns
                                  : SyllableSplit::Source::Whole;
    result.syllables.removeAll(QString());
    return result;
}

SyllableSplit Syllables::splitByPatterns(const QString& word, const QString& language,
                                         bool complete) {
    if (!isSplittable(word) || word.contains(QLatin1Char('-')))
        return fromCuts(word, {}, SyllableSplit::Source::Whole);
    return splitPart(word, language, false, complete);
}

} // namespace orasent
