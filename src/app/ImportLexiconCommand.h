#pragma once
// `orasent --import-lexicon FILE`: the words of a PLS pronunciation lexicon added to the
// pronunciation rules in "Pronunciations.pls" of the working folder, for every document,
// without a window or a display.
#include <QStringList>

namespace orasent {

// True when --import-lexicon is among the arguments (the program's name first).
bool isImportLexiconCommand(const QStringList& arguments);

// Exit status: 0 done, 1 a lexicon or rules file that could not be read or written (the rules
// file then stays as it was), 2 a usage error; each failure with a one-line message on stderr.
int runImportLexiconCommand(const QStringList& arguments);

} // namespace orasent
