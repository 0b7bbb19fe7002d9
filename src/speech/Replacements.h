#pragma once
// The word replacement list ("Speech.lst") applied to a text before it is spoken.
#include <QString>
#include <functional>

#include "speech/TextEdits.h"

namespace orasent {

// Rewrites `text` with the word replacement list (entries WORD=REPLACEMENT joined by "|"): entries
// in list order, exact case-sensitive substring search from the start of the text after every
// replacement, a step budget of 10,000 (an entry taken up or one search each count), REPLACEMENT at
// most 255 characters, entries without "=" or with an empty WORD skipped. `letEventsRun` is called
// before each entry is taken up and before each replacement (the window passes
// QCoreApplication::processEvents). Every replacement is recorded in `edits` when given. Returns
// the rewritten text.
QString applyReplacementList(const QString& text, const QString& replacementList,
                             const std::function<void()>& letEventsRun = {},
                             TextEdits* edits = nullptr);

} // namespace orasent
