#include "words/EnglishGuess.h"

#include <QRegularExpression>

#include <algorithm>

namespace orasent {

namespace {
bool isVowel(QChar c) {
    return QStringLiteral("aeiouy").contains(c);
}

struct Group {
    int start = 0, end = 0; // [start, end) of a run of vowels
};

QList<Group> vowelGroups(const QString& word) {
    QList<Group> groups;
    for (int i = 0; i < word.size(); ++i) {
        if (!isVowel(word.at(i)))
            continue;
        if (!groups.isEmpty() && groups.last().end == i)
            groups.last().end = i + 1;
        else
            groups.append({i, i + 1});
    }
    return groups;
}

// A final e, or -es / -ed, that is not said as a syllable of its own.
bool silentEnding(const QString& word, int groups) {
    if (groups < 2)
        return false;
    static const QRegularExpression silentE(QStringLiteral("[^aeiouy]e$|[^aeiouy]e[ds]$"));
    static const QRegularExpression said(
        QStringLiteral("[^aeiouy]le$|[td]ed$|(s|x|z|ch|sh|c|g)es$|[^aeiouy]l(es|ed)$"));
    return silentE.match(word).hasMatch() && !said.match(word).hasMatch();
}

// Vowel pairs said as two syllables ("li·on", "du·al"), by where the second vowel starts.
QList<int> hiatusBreaks(const QString& word) {
    static const QRegularExpression pairs(
        QStringLiteral("(?<![tcsgq])(ia|io|iu|eo|uo)|(?<![qg])ua|ea$|ie(?=r|t)|[aeiouy]ing$"));
    QList<int> breaks;
    auto it = pairs.globalMatch(word);
    while (it.hasNext())
        breaks << int(it.next().capturedStart()) + 1;
    return breaks;
}

// Where to cut between two vowel groups: before a single consonant ("ba·by"), after the first of
// several ("hap·py"), keeping ch, sh, th, ph, wh, gh and ck whole, and before the consonant of a
// closing -le ("ta·ble").
int cutBetween(const QString& word, const Group& a, const Group& b) {
    const int consonants = b.start - a.end;
    if (b.end == word.size() && word.endsWith(QLatin1String("le")) && consonants >= 2)
        return b.start - 2;
    if (consonants <= 1)
        return a.end;
    const QString pair = word.mid(a.end, 2);
    if (pair == QLatin1String("ck"))
        return a.end + 2;
    static const QStringList digraphs{"ch", "sh", "th", "ph", "wh", "gh"};
    if (digraphs.contains(pair))
        return consonants == 2 ? a.end : a.end + 2;
    return a.end + 1;
}
} // namespace

int guessSyllableCount(const QString& word) {
    const int groups = int(vowelGroups(word).size());
    int count = groups - (silentEnding(word, groups) ? 1 : 0);
    static const QRegularExpression suffix(
        QStringLiteral("[^aeiouy]e(ly|ment|ments|less|ful|ness)$"));
    count -= suffix.match(word).hasMatch() ? 1 : 0;
    count += int(hiatusBreaks(word).size());
    return std::max(1, count);
}

QList<int> completeCuts(const QString& word, QList<int> patternCuts) {
    const int wanted = guessSyllableCount(word);
    QList<Group> groups = vowelGroups(word);
    if (silentEnding(word, int(groups.size())))
        groups.removeLast();
    QList<int> candidates = hiatusBreaks(word);
    for (int i = 1; i < groups.size(); ++i)
        candidates << cutBetween(word, groups.at(i - 1), groups.at(i));
    std::sort(candidates.begin(), candidates.end());
    QList<int> cuts = patternCuts;
    for (int candidate : candidates) {
        if (int(cuts.size()) + 1 >= wanted)
            break;
        const bool nearPattern = std::any_of(cuts.begin(), cuts.end(), [candidate](int cut) {
            return std::abs(cut - candidate) <= 1;
        });
        if (!nearPattern && candidate > 0 && candidate < word.size())
            cuts << candidate;
    }
    std::sort(cuts.begin(), cuts.end());
    return cuts;
}

} // namespace orasent
