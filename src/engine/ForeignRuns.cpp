#include "engine/ForeignRuns.h"

#include <QHash>

namespace orasent {

QString languageOfScript(QChar::Script script) {
    static const QHash<int, QString> languages = {
        {QChar::Script_Arabic, QStringLiteral("ar")},
        {QChar::Script_Cyrillic, QStringLiteral("ru")},
        {QChar::Script_Greek, QStringLiteral("el")},
        {QChar::Script_Hebrew, QStringLiteral("he")},
        {QChar::Script_Han, QStringLiteral("cmn")},
        {QChar::Script_Hiragana, QStringLiteral("ja")},
        {QChar::Script_Katakana, QStringLiteral("ja")},
        {QChar::Script_Hangul, QStringLiteral("ko")},
        {QChar::Script_Thai, QStringLiteral("th")},
        {QChar::Script_Devanagari, QStringLiteral("hi")},
        {QChar::Script_Bengali, QStringLiteral("bn")},
        {QChar::Script_Tamil, QStringLiteral("ta")},
        {QChar::Script_Telugu, QStringLiteral("te")},
        {QChar::Script_Gujarati, QStringLiteral("gu")},
        {QChar::Script_Gurmukhi, QStringLiteral("pa")},
        {QChar::Script_Kannada, QStringLiteral("kn")},
        {QChar::Script_Malayalam, QStringLiteral("ml")},
        {QChar::Script_Georgian, QStringLiteral("ka")},
        {QChar::Script_Armenian, QStringLiteral("hy")},
        {QChar::Script_Ethiopic, QStringLiteral("am")},
        {QChar::Script_Sinhala, QStringLiteral("si")},
        {QChar::Script_Myanmar, QStringLiteral("my")},
    };
    return languages.value(int(script));
}

QVector<ForeignRun> foreignRuns(const QString& text, bool xml) {
    QVector<ForeignRun> runs;
    ForeignRun current;
    auto close = [&] {
        if (!current.language.isEmpty())
            runs.append(current);
        current = ForeignRun();
    };
    const int n = int(text.size());
    for (int i = 0; i < n;) {
        if (xml && text.at(i) == u'<' && text.indexOf(u'>', i) > 0) {
            close();
            i = int(text.indexOf(u'>', i)) + 1;
            continue;
        }
        char32_t c = text.at(i).unicode();
        int width = 1;
        if (QChar::isHighSurrogate(c) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            width = 2;
        }
        if (QChar::isLetter(c)) {
            const QString language = languageOfScript(QChar::script(c));
            if (language != current.language || language.isEmpty()) {
                close();
                if (!language.isEmpty())
                    current = ForeignRun{i, i + width, language};
            } else {
                current.end = i + width;
            }
        }
        i += width;
    }
    close();
    return runs;
}

} // namespace orasent
