#include "common/ParagraphText.h"

namespace orasent {

namespace {
// A hyphen ending a line joins the word when a letter comes before it and a lower-case letter
// starts the next line; "well-\nKnown" or "1990-\n2000" keep their hyphen and join without blank.
bool joinsHyphenated(const QString& left, const QString& right) {
    if (left.size() < 2 || !left.endsWith(QLatin1Char('-')) || right.isEmpty())
        return false;
    return left.at(left.size() - 2).isLetter() && right.at(0).isLower();
}
} // namespace

QString joinParagraphLines(const QStringList& lines) {
    QString joined;
    for (const QString& raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (joined.isEmpty()) {
            joined = line;
        } else if (joinsHyphenated(joined, line)) {
            joined.chop(1);
            joined += line;
        } else if (joined.endsWith(QLatin1Char('-'))) {
            joined += line;
        } else {
            joined += QLatin1Char(' ') + line;
        }
    }
    return joined;
}

QString bookTextFromParagraphs(const QStringList& paragraphs) {
    QString text;
    for (const QString& raw : paragraphs) {
        const QString paragraph = raw.simplified();
        if (paragraph.isEmpty())
            continue;
        if (!text.isEmpty())
            text += QStringLiteral("\r\n");
        text += paragraph;
        text += paragraph.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ");
    }
    return text;
}

} // namespace orasent
