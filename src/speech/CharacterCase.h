#pragma once
// The upper case that the word list, the settings file and the text to speak are matched in.
#include <QString>

namespace orasent {

// Upper case one character at a time (simple case mapping): the text keeps its length, so
// fixed character positions and the list's separators stay where they were ("ß" stays "ß").
QString upperCaseByCharacter(const QString& text);

// The same mapping for one UTF-16 code unit or surrogate-paired code point.
char32_t upperCaseCodePoint(char32_t codePoint);

} // namespace orasent
