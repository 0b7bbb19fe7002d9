#include "app/SelectionText.h"

namespace orasent {

namespace {
// Tabs and line breaks become blanks; other control characters, unpaired surrogates and
// non-characters (what binary data turns into) are dropped.
QString speakableCharacters(QStringView raw) {
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c.isHighSurrogate() && i + 1 < raw.size() && raw.at(i + 1).isLowSurrogate()) {
            out += c;
            out += raw.at(++i);
        } else if (c == u'\t' || c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
                   c == QChar::ParagraphSeparator) {
            out += u' ';
        } else if (c.category() != QChar::Other_Control && !c.isSurrogate() &&
                   !c.isNonCharacter() && c != QChar::ReplacementCharacter) {
            out += c;
        }
    }
    return out;
}

bool hasWordCharacter(const QString& text) {
    for (const QChar c : text) {
        if (c.isLetterOrNumber() || c.isSurrogate())
            return true;
    }
    return false;
}
} // namespace

SelectionSpeech prepareSelection(const QString& raw, SelectionSource source) {
    SelectionSpeech speech;
    // Cut before cleaning, so that a huge selection costs no more than the part that is read.
    const bool cut = raw.size() > kLongestSelection;
    QStringView kept = QStringView(raw).left(kLongestSelection);
    if (cut && kept.back().isHighSurrogate())
        kept.chop(1);
    const QString text = speakableCharacters(kept).simplified();
    if (!hasWordCharacter(text)) {
        speech.notice = source == SelectionSource::Selection
                            ? QStringLiteral("No text is selected.")
                            : QStringLiteral("The clipboard holds no text.");
        return speech;
    }
    speech.text = text;
    if (cut)
        speech.notice = QStringLiteral("The text is very long: only its first 100,000 "
                                       "characters are read, and the rest was left out.");
    return speech;
}

QString spokenSelection(const SelectionSpeech& speech) {
    if (speech.notice.isEmpty())
        return speech.text;
    if (speech.text.isEmpty())
        return speech.notice;
    return speech.notice + QLatin1Char(' ') + speech.text;
}

QString clipboardInsteadNotice() {
    return QStringLiteral("This desktop does not share the selected text, so Orasent reads the "
                          "clipboard instead. Copy the text before you ask for it.");
}

} // namespace orasent
