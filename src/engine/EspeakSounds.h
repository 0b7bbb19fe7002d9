#pragma once
// IPA sounds in espeak-ng's phoneme input: "[[...]]" holding espeak-ng's own phoneme names
// (Kirshenbaum-like, as `espeak-ng -x` prints them).
#include <QString>

namespace orasent {

// `ipa` as espeak-ng's "[[...]]" input, or "" when it holds a sound without a name here.
QString espeakPhonemeInput(const QString& ipa);

} // namespace orasent
