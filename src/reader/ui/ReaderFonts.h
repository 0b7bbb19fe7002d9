#pragma once
// The windows' designed fonts. "Arial Black" and "MS Sans Serif" are rarely installed outside
// Windows; each is asked for first and then falls back to a heavy sans-serif that is installed,
// so the large type stays bold and readable.
#include <QFont>
#include <QString>

namespace orasent {

// "Arial Black" at its own (black) weight, whether or not `bold` is asked for.
QFont arialBlackFont(double pointSize);
// "MS Sans Serif", bold or regular.
QFont msSansSerifFont(double pointSize, bool bold);

// The reader's chosen face (empty: the designed "Arial Black"), bold or regular, followed by the
// same installed fallbacks, so a face that is no longer installed still gives a plain sans-serif.
QFont readingFont(const QString& family, double pointSize, bool bold);

// A type size the sentence box can use: positive and not absurdly large, in points.
bool isUsableTypeSize(double points);
constexpr double kLargestTypeSize = 2000;

} // namespace orasent
