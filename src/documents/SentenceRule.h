#pragma once
// Where the reader's sentence ends, for the reader and for everything that must cut a text as it
// does (an export): through the next ". ", or, where none comes within kLongestSentence
// characters, a piece of that stretch, so that every character is read.
#include <QStringView>
#include <cstdint>

namespace orasent {

constexpr std::int64_t kLongestSentence = 1000;

// The 1-based last character of the sentence that starts at `position` (taken as 1 below 1): its
// ". " within kLongestSentence characters, else a cut at the last "? ", "! ", period before a line
// break, line break or blank before that; the text's end when no ". " follows. 0 when only blanks
// are left.
std::int64_t sentenceEndIn(QStringView text, double position);

} // namespace orasent
