#include "words/SpellingAlignment.h"

#include <QHash>
#include <QStringList>

#include <limits>
#include <vector>

namespace orasent {

namespace {
constexpr double kNoWay = std::numeric_limits<double>::infinity();
constexpr double kNoLetters = 2.5; // a phone with no letters of its own ("cute": k y uw t)
constexpr double kAnyLetter = 4;   // any one letter for any phone, so a way always exists

bool isVowelPhone(const QByteArray& phone) {
    static const QList<QByteArray> vowels{"aa", "ae", "ah", "ao", "aw", "ax", "axr", "ay", "eh",
                                          "er", "ey", "ih", "iy", "ow", "oy", "uh",  "uw"};
    return vowels.contains(phone);
}

// The usual spellings of each consonant phone.
const QHash<QByteArray, QStringList>& consonantSpellings() {
    static const QHash<QByteArray, QStringList> table{
        {"b", {"b", "bb"}},
        {"ch", {"ch", "tch", "t", "c", "cz"}},
        {"d", {"d", "dd", "ed", "ld"}},
        {"dh", {"th"}},
        {"f", {"f", "ff", "ph", "gh"}},
        {"g", {"g", "gg", "gh", "gu", "x"}},
        {"hh", {"h", "wh"}},
        {"jh", {"j", "g", "dg", "dge", "gg", "d", "ge"}},
        {"k", {"k", "c", "ck", "ch", "q", "cc", "qu", "x", "lk"}},
        {"l", {"l", "ll"}},
        {"m", {"m", "mm", "mb", "lm", "mn"}},
        {"n", {"n", "nn", "kn", "gn", "pn"}},
        {"ng", {"ng", "n"}},
        {"p", {"p", "pp"}},
        {"r", {"r", "rr", "wr", "rh"}},
        {"s", {"s", "ss", "c", "sc", "ce", "ps", "x", "z"}},
        {"sh", {"sh", "ti", "ci", "s", "ss", "ch", "si", "sci", "x"}},
        {"t", {"t", "tt", "ed", "th", "pt"}},
        {"th", {"th"}},
        {"v", {"v", "f", "vv"}},
        {"w", {"w", "u", "o", "wh"}},
        {"y", {"y", "i", "j", "u"}},
        {"z", {"z", "zz", "s", "ss", "x", "se", "ze"}},
        {"zh", {"s", "si", "g", "z", "ti", "ge"}},
    };
    return table;
}

bool isVowelLetter(QChar c) {
    return QStringLiteral("aeiouy").contains(c);
}

// What spelling `letters` with `phone` costs; kNoWay when it cannot be.
double spellingCost(const QByteArray& phone, QStringView letters) {
    if (isVowelPhone(phone)) {
        if (!isVowelLetter(letters.front()))
            return letters.size() == 1 ? kAnyLetter : kNoWay;
        for (QChar c : letters.mid(1))
            if (!isVowelLetter(c) && !QStringLiteral("wrh").contains(c))
                return kNoWay;
        return 0.2 * double(letters.size() - 1);
    }
    if (consonantSpellings().value(phone).contains(letters.toString()))
        return 0.1 * double(letters.size() - 1);
    return letters.size() == 1 ? kAnyLetter : kNoWay;
}

double silentCost(QChar letter) {
    if (letter == QLatin1Char('e') || letter == QLatin1Char('\''))
        return 0.6;
    if (letter == QLatin1Char('h') || letter == QLatin1Char('w'))
        return 0.8;
    return isVowelLetter(letter) ? 1.2 : 1.5;
}

struct Step {
    double cost = kNoWay;
    int letters = -1; // letters the last phone took; -1: the last letter was silent
};

// For each phone, the first letter it spells, or -1 for a phone with no letters.
std::vector<int> alignPhones(const QString& word, const QList<QByteArray>& phones) {
    const int n = int(word.size()), m = int(phones.size());
    std::vector<std::vector<Step>> best(n + 1, std::vector<Step>(m + 1));
    best[0][0].cost = 0;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= m; ++j) {
            const double here = best[i][j].cost;
            if (here == kNoWay)
                continue;
            auto offer = [&](int ni, int nj, double cost, int letters) {
                if (here + cost < best[ni][nj].cost)
                    best[ni][nj] = {here + cost, letters};
            };
            if (i < n)
                offer(i + 1, j, silentCost(word.at(i)), -1);
            if (j == m)
                continue;
            offer(i, j + 1, kNoLetters, 0);
            for (int k = 1; k <= 3 && i + k <= n; ++k) {
                const double cost = spellingCost(phones.at(j), QStringView(word).mid(i, k));
                if (cost != kNoWay)
                    offer(i + k, j + 1, cost, k);
            }
        }
    }
    std::vector<int> firstLetter(m, -1);
    for (int i = n, j = m; i > 0 || j > 0;) {
        const Step step = best[i][j];
        if (step.letters < 0) {
            --i;
            continue;
        }
        --j;
        i -= step.letters;
        if (step.letters > 0)
            firstLetter[j] = i;
    }
    return firstLetter;
}

// A doubled consonant that opens a syllable is cut between its letters: "bet·ter", "pick·le".
int cutInsideDouble(const QString& word, int cut) {
    if (cut + 1 >= word.size() || isVowelLetter(word.at(cut)))
        return cut;
    const QChar a = word.at(cut), b = word.at(cut + 1);
    if (cut == 0)
        return cut;
    if (a == QLatin1Char('c') && b == QLatin1Char('k'))
        return cut + 2 < word.size() ? cut + 2 : cut;
    return a == b ? cut + 1 : cut;
}
} // namespace

QList<int> syllableCuts(const QString& word, const QList<QList<QByteArray>>& syllables) {
    QList<QByteArray> phones;
    QList<int> syllableStart; // index of each syllable's first phone
    for (const auto& syllable : syllables) {
        syllableStart << int(phones.size());
        phones += syllable;
    }
    if (syllables.size() < 2 || word.isEmpty())
        return {};
    const std::vector<int> firstLetter = alignPhones(word, phones);
    QList<int> cuts;
    for (int s = 1; s < syllables.size(); ++s) {
        int cut = -1;
        const int end = s + 1 < syllables.size() ? syllableStart[s + 1] : int(phones.size());
        for (int p = syllableStart[s]; p < end && cut < 0; ++p)
            cut = firstLetter[size_t(p)];
        if (cut < 0)
            continue;
        cut = cutInsideDouble(word, cut);
        if (cut > (cuts.isEmpty() ? 0 : cuts.last()) && cut < word.size())
            cuts << cut;
    }
    return cuts;
}

} // namespace orasent
