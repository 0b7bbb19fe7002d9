#include "speech/Replacements.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <vector>

namespace orasent {

namespace {

constexpr int kStepBudget = 10000;          // entries taken up plus searches, per application
constexpr qsizetype kMaxReplacementLength = 255;

// The text being rewritten, held in a buffer with a gap at the place where the next search
// starts. A replacement then costs the size of the change instead of a copy of the whole text,
// so thousands of replacements on a large text stay linear.
class GapText {
public:
    explicit GapText(const QString& text)
    {
        const qsizetype n = text.size();
        m_buffer.resize(size_t(n) + kSpareUnits);
        m_gapStart = 0;
        m_gapEnd = qsizetype(kSpareUnits);
        if (n > 0)
            std::memcpy(m_buffer.data() + m_gapEnd, text.utf16(), size_t(n) * sizeof(char16_t));
    }

    // Position of the first occurrence of `word` at or after `from`, or -1.
    qsizetype indexOf(QStringView word, qsizetype from)
    {
        moveGapTo(from);
        const QStringView rest(m_buffer.data() + m_gapEnd, bufferSize() - m_gapEnd);
        const qsizetype found = rest.indexOf(word, 0, Qt::CaseSensitive);
        return found < 0 ? -1 : from + found;
    }

    // Replaces `length` characters at `position` with `replacement`.
    void replace(qsizetype position, qsizetype length, QStringView replacement)
    {
        moveGapTo(position);
        m_gapEnd += length;
        const qsizetype needed = replacement.size();
        if (m_gapEnd - m_gapStart < needed)
            widenGap(needed);
        if (needed > 0)
            std::memcpy(m_buffer.data() + m_gapStart, replacement.utf16(), size_t(needed) * sizeof(char16_t));
        m_gapStart += needed;
    }

    QString toString() const
    {
        QString out;
        out.reserve(m_gapStart + bufferSize() - m_gapEnd);
        out.append(QStringView(m_buffer.data(), m_gapStart));
        out.append(QStringView(m_buffer.data() + m_gapEnd, bufferSize() - m_gapEnd));
        return out;
    }

private:
    static constexpr size_t kSpareUnits = 4096;

    qsizetype bufferSize() const { return qsizetype(m_buffer.size()); }

    void moveGapTo(qsizetype position)
    {
        if (position < m_gapStart) {
            const qsizetype count = m_gapStart - position;
            std::memmove(m_buffer.data() + m_gapEnd - count, m_buffer.data() + position,
                         size_t(count) * sizeof(char16_t));
            m_gapStart = position;
            m_gapEnd -= count;
        } else if (position > m_gapStart) {
            const qsizetype count = position - m_gapStart;
            std::memmove(m_buffer.data() + m_gapStart, m_buffer.data() + m_gapEnd, size_t(count) * sizeof(char16_t));
            m_gapStart += count;
            m_gapEnd += count;
        }
    }

    void widenGap(qsizetype needed)
    {
        const qsizetype textSize = m_gapStart + bufferSize() - m_gapEnd;
        const qsizetype newSize = 2 * (textSize + needed) + qsizetype(kSpareUnits);
        std::vector<char16_t> wider(size_t(newSize), u'\0');
        const qsizetype tail = bufferSize() - m_gapEnd;
        std::memcpy(wider.data(), m_buffer.data(), size_t(m_gapStart) * sizeof(char16_t));
        std::memcpy(wider.data() + newSize - tail, m_buffer.data() + m_gapEnd, size_t(tail) * sizeof(char16_t));
        m_gapEnd = newSize - tail;
        m_buffer.swap(wider);
    }

    std::vector<char16_t> m_buffer;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

// REPLACEMENT is cut to 255 characters, without leaving half of a surrogate pair behind.
QStringView cutReplacement(QStringView replacement)
{
    if (replacement.size() <= kMaxReplacementLength)
        return replacement;
    QStringView cut = replacement.left(kMaxReplacementLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

}  // namespace

QString applyReplacementList(const QString& text, const QString& replacementList,
                             const std::function<void()>& letEventsRun)
{
    // Own copies: a handler run through letEventsRun may replace the caller's list or text.
    const QString list = replacementList;
    if (list.isEmpty())
        return text;  // an empty list has no entries
    GapText work(text);

    const auto yieldToEvents = [&letEventsRun] {
        if (letEventsRun)
            letEventsRun();
    };

    int steps = 1;
    qsizetype entryStart = 0;
    for (;;) {
        qsizetype entryEnd = list.indexOf(u'|', entryStart);
        if (entryEnd < 0)
            entryEnd = list.size();
        const QStringView entry = QStringView(list).mid(entryStart, entryEnd - entryStart);

        yieldToEvents();
        if (++steps > kStepBudget)
            break;

        const qsizetype equals = entry.indexOf(u'=');
        bool budgetSpent = false;
        // No "=" (an empty entry included) or an empty WORD: the entry does nothing.
        if (equals > 0) {
            const QStringView word = entry.left(equals);
            const QStringView replacement = cutReplacement(entry.mid(equals + 1));
            // After a replacement at p nothing before p - |WORD| + 1 can match (p was the first
            // match), so searching on from there finds what a search from the start would.
            qsizetype searchFrom = 0;
            for (;;) {
                if (++steps > kStepBudget) {
                    budgetSpent = true;
                    break;
                }
                const qsizetype found = work.indexOf(word, searchFrom);
                if (found < 0)
                    break;
                yieldToEvents();
                work.replace(found, word.size(), replacement);
                searchFrom = std::max<qsizetype>(0, found - word.size() + 1);
            }
        }
        if (budgetSpent || entryEnd >= list.size())
            break;
        entryStart = entryEnd + 1;
    }
    return work.toString();
}

}  // namespace orasent
