#include "words/WordSpans.h"

#include "words/Syllables.h"

namespace orasent {

namespace {
bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate();
}

bool isJoiner(QChar c) {
    return c == QLatin1Char('\'') || c == QChar(0x2019) || c == QLatin1Char('-') ||
           c == Syllables::kDot;
}

// Inside a word: a word character, or a joiner between two of them.
bool inWord(const QString& text, int i) {
    if (i < 0 || i >= text.size())
        return false;
    if (isWordCharacter(text.at(i)))
        return true;
    return isJoiner(text.at(i)) && i > 0 && i + 1 < text.size() &&
           isWordCharacter(text.at(i - 1)) && isWordCharacter(text.at(i + 1));
}
} // namespace

std::optional<TextSpan> wordAt(const QString& text, int position) {
    if (!inWord(text, position))
        return std::nullopt;
    int start = position, end = position + 1;
    while (inWord(text, start - 1))
        --start;
    while (inWord(text, end))
        ++end;
    return TextSpan{start, end - start};
}

std::optional<TextSpan> nextWord(const QString& text, int from, bool forward) {
    const int size = int(text.size());
    if (forward) {
        int i = qMax(from + 1, 0);
        // Past the rest of the word `from` is in.
        while (i < size && i > 0 && inWord(text, i) && inWord(text, i - 1) && from >= 0)
            ++i;
        while (i < size && !inWord(text, i))
            ++i;
        return i < size ? wordAt(text, i) : std::nullopt;
    }
    int i = qMin(from, size) - 1;
    while (i >= 0 && !inWord(text, i))
        --i;
    if (i < 0)
        return std::nullopt;
    return wordAt(text, i);
}

QString writtenWord(const QString& text, TextSpan span) {
    return text.mid(span.first, span.second).remove(Syllables::kDot);
}

int DottedText::shownPosition(int position) const {
    int before = 0;
    while (before < dotsBefore.size() && dotsBefore.at(before) < position)
        ++before;
    return position + before;
}

DottedText dottedText(const QString& written, Syllables& syllables, const QString& language) {
    DottedText result;
    int copied = 0;
    for (auto span = nextWord(written, -1, true); span;
         span = nextWord(written, span->first, true)) {
        const SyllableSplit split =
            syllables.split(written.mid(span->first, span->second), language);
        if (split.syllables.size() < 2)
            continue;
        result.shown += written.mid(copied, span->first - copied);
        int at = span->first;
        for (int i = 0; i < split.syllables.size(); ++i) {
            if (i > 0) {
                result.shown += Syllables::kDot;
                result.dotsBefore << at;
            }
            result.shown += split.syllables.at(i);
            at += int(split.syllables.at(i).size());
        }
        copied = span->first + span->second;
    }
    result.shown += written.mid(copied);
    return result;
}

} // namespace orasent
