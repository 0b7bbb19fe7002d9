#pragma once
// Words inside a sentence, for picking one: letters and digits, with apostrophes, hyphens and
// syllable dots between them.
#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace orasent {

using TextSpan = std::pair<int, int>; // start, length

// The word that holds the character at `position`; nothing on a blank or punctuation.
std::optional<TextSpan> wordAt(const QString& text, int position);
// The first word that starts after `from` (forward) or before it (backward); `from` -1 with
// forward finds the first word, text.size() backward the last.
std::optional<TextSpan> nextWord(const QString& text, int from, bool forward);
// The word without syllable dots: the word as written.
QString writtenWord(const QString& text, TextSpan span);

class Syllables;

// A text with its words of two or more syllables dotted ("ba·na·na"), and where the dots went.
struct DottedText {
    QString shown;
    QList<int> dotsBefore; // for each dot added, the index in the written text it stands before
    // Where written position `position` stands in the shown text.
    int shownPosition(int position) const;
};
DottedText dottedText(const QString& written, Syllables& syllables, const QString& language);

} // namespace orasent
