#include "documents/SentenceRule.h"

#include "common/Numbers.h"

#include <algorithm>

namespace orasent {

namespace {

bool isLineBreak(QChar c) {
    return c == u'\r' || c == u'\n';
}

// 1-based position of the first ". " at or after nearest(position + 1) whose period lies at or
// before `lastPeriod`; 0 when none.
std::int64_t periodFrom(QStringView text, double position, std::int64_t lastPeriod) {
    const std::int64_t start = std::max<std::int64_t>(1, nearestInt(position + 1));
    const std::int64_t last = std::min<std::int64_t>(lastPeriod, std::int64_t(text.size()) - 1);
    if (start > last)
        return 0;
    const QStringView stretch = text.mid(qsizetype(start - 1), qsizetype(last - start + 2));
    const qsizetype found = stretch.indexOf(u". ");
    return found < 0 ? 0 : start + std::int64_t(found);
}

// 0-based indexes in [first, windowEnd); returns a 1-based last character.
std::int64_t cutLongStretch(QStringView text, std::int64_t first, std::int64_t windowEnd) {
    const std::int64_t size = text.size();
    std::int64_t lastBlank = -1;
    for (std::int64_t i = windowEnd - 1; i > first; --i) {
        const QChar c = text[qsizetype(i)];
        const QChar next = i + 1 < size ? text[qsizetype(i + 1)] : QChar();
        if ((c == u'?' || c == u'!') && next == u' ')
            return i + 1;
        if (c == u'.' && isLineBreak(next))
            return i + 1;
        if (isLineBreak(c))
            return c == u'\r' && next == u'\n' ? i + 2 : i + 1;
        if (lastBlank < 0 && (c == u' ' || c == u'\t'))
            lastBlank = i;
    }
    if (lastBlank > 0)
        return lastBlank; // up to the character before that blank
    const bool splitsPair =
        text[qsizetype(windowEnd - 1)].isHighSurrogate() && windowEnd > first + 1;
    return splitsPair ? windowEnd - 1 : windowEnd;
}

} // namespace

std::int64_t sentenceEndIn(QStringView text, double position) {
    const std::int64_t start = std::max<std::int64_t>(1, nearestInt(position));
    const std::int64_t size = text.size();
    if (start > size)
        return 0;
    // The ". " is looked for only as far as a sentence may reach.
    const std::int64_t reach = start - 1 + kLongestSentence; // the last character it may take
    if (const std::int64_t period = periodFrom(text, position, reach))
        return period;
    std::int64_t first = start - 1; // 0-based
    while (first < size && text[qsizetype(first)].isSpace())
        ++first;
    if (first >= size)
        return 0; // only blanks are left
    if (size <= reach)
        return size; // the text after the last ". " is a sentence of its own
    return cutLongStretch(text, first, reach);
}

} // namespace orasent
