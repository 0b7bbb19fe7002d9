#pragma once
// Lays a word's syllables, as phones from the pronouncing lexicon, back onto its spelling: each
// phone is given the letters that spell it (one to three, or none), the cheapest way through
// the word, and a syllable starts where the letters of its first phone start.
#include <QByteArray>
#include <QList>
#include <QString>

namespace orasent {

// Where the spelling of `word` (lower case letters and apostrophes) is cut between syllables:
// ascending positions inside the word. Fewer cuts than syllables less one where two syllables
// cannot be told apart in the letters.
QList<int> syllableCuts(const QString& word, const QList<QList<QByteArray>>& syllables);

} // namespace orasent
