#include "speech/CharacterCase.h"

#include <QChar>

namespace orasent {

char32_t upperCaseCodePoint(char32_t codePoint) {
    return QChar::toUpper(codePoint);
}

QString upperCaseByCharacter(const QString& text) {
    QString out(text);
    char16_t* data = reinterpret_cast<char16_t*>(out.data());
    const qsizetype n = out.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = data[i];
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(data[i + 1])) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(unit, data[i + 1]));
            // Simple upper-case mappings of supplementary characters stay supplementary.
            if (QChar::requiresSurrogates(upper)) {
                data[i] = QChar::highSurrogate(upper);
                data[i + 1] = QChar::lowSurrogate(upper);
            }
            ++i;
            continue;
        }
        const char32_t upper = QChar::toUpper(char32_t(unit));
        if (!QChar::requiresSurrogates(upper))
            data[i] = char16_t(upper);
    }
    return out;
}

} // namespace orasent
