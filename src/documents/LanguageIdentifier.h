#pragma once
// The language of a text that declares none (plain text, Markdown, recognised pictures), by
// libexttextcat's n-gram fingerprints.
#include <QString>

namespace orasent {

// The BCP 47 tag ("fr", "en", "zh-CN") of `text`'s language; empty when the text is too short
// or when more than one language fits about as well. Thread-safe; only the first few thousand
// characters are looked at.
QString identifyLanguage(const QString& text);

} // namespace orasent
