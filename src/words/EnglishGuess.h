#pragma once
// English syllables from the spelling alone, for words the pronouncing lexicon lacks: a count
// from the vowel groups (with the silent e, the -es and -ed endings and the vowel pairs that are
// two syllables), and cuts between the groups where the hyphenation patterns left too few.
#include <QList>
#include <QString>

namespace orasent {

// How many syllables the lower-case `word` likely has; at least one.
int guessSyllableCount(const QString& word);
// `patternCuts` (ascending) with cuts between vowel groups added until there are as many
// pieces as guessSyllableCount(word), where the word has room for them.
QList<int> completeCuts(const QString& word, QList<int> patternCuts);

} // namespace orasent
