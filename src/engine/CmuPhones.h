#pragma once
// IPA sounds as the CMU (ARPAbet) phones that Flite's and Festival's US English voices say, in
// their lower-case form: "təˈmɑːtoʊ" -> t ax0 m aa1 t ow0. Every vowel carries its stress (1
// primary, 2 secondary, 0 none); without any stress mark the first full vowel takes 1. Length
// marks, syllable dots, slashes and a few diacritics are dropped; the blanks between words too,
// so the sounds are said as one word.
//
// Inside a spoken text the phones travel in their inline form, "⟦t ax0 m aa1 t ow0⟧", which
// the engine that reads CMU phones turns back into a word with those phones.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orasent {

// The phones of `ipa`, or an empty list when it is empty or holds a sound without a CMU phone.
QStringList cmuPhonesFromIpa(const QString& ipa);

// `ipa` in the inline form, or "" when it cannot be said in CMU phones.
QString cmuInlineSounds(const QString& ipa);

// The inline form that starts at `at` in `text`: its phones (each a known CMU phone with at most
// a stress digit), with `*end` set after it; an empty list when there is none at `at`.
QStringList readCmuInline(QStringView text, qsizetype at, qsizetype* end);

constexpr char16_t kCmuInlineOpen = u'⟦';
constexpr char16_t kCmuInlineClose = u'⟧';

} // namespace orasent
