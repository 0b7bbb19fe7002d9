#pragma once
// Which key presses count as typing for continuous play.
class QKeyEvent;

namespace orasent {

// True for a key that types a character: space, letters, digits, punctuation and Enter. False
// for a modifier on its own, arrows, function keys, and Alt/Ctrl/Meta combinations (so the
// Alt+letter shortcut of a button does not count).
bool typesCharacter(const QKeyEvent& event);

} // namespace orasent
