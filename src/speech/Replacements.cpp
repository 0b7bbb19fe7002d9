#include "speech/Replacements.h"

#include <QStringView>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

namespace orasent {

namespace {

constexpr int kStepBudget = 10000; // entries taken up plus searches, per application
constexpr qsizetype kMaxReplacementLength = 255;

// The text being rewritten. Until the first replacement the caller's text is searched as it is
// (no copy); from then on it lives in a buffer with a gap at the place of the last change, so a
// replacement costs the size of the change instead of a copy of the whole text, and thousands
// of replacements on a large text stay linear.
class GapText {
public:
    explicit GapText(const QString& text) : m_original(text), m_unitCounts(65536, 0) {
        for (const QChar unit : QStringView(text))
            ++m_unitCounts[unit.unicode()];
    }

    qsizetype size() const {
        return m_buffer ? m_gapStart + m_capacity - m_gapEnd : m_original.size();
    }

    // Position of the first occurrence of `word` at or after `from`, or -1.
    qsizetype indexOf(QStringView word, qsizetype from) {
        QStringView rest;
        if (m_buffer) {
            moveGapTo(from);
            rest = QStringView(m_buffer.get() + m_gapEnd, m_capacity - m_gapEnd);
        } else {
            rest = QStringView(m_original).mid(from);
        }
        const qsizetype found = findIn(rest, word);
        return found < 0 ? -1 : from + found;
    }

    // Replaces `length` characters at `position` with `replacement`.
    void replace(qsizetype position, qsizetype length, QStringView replacement) {
        if (!m_buffer)
            moveIntoBuffer(position);
        moveGapTo(position);
        for (qsizetype i = 0; i < length; ++i)
            --m_unitCounts[m_buffer[size_t(m_gapEnd + i)]];
        for (const QChar unit : replacement)
            ++m_unitCounts[unit.unicode()];
        m_gapEnd += length;
        const qsizetype needed = replacement.size();
        if (m_gapEnd - m_gapStart < needed)
            widenGap(needed);
        if (needed > 0)
            std::memcpy(m_buffer.get() + m_gapStart, replacement.utf16(),
                        size_t(needed) * sizeof(char16_t));
        m_gapStart += needed;
    }

    QString toString() const {
        if (!m_buffer)
            return m_original;
        QString out;
        out.reserve(size());
        out.append(QStringView(m_buffer.get(), m_gapStart));
        out.append(QStringView(m_buffer.get() + m_gapEnd, m_capacity - m_gapEnd));
        return out;
    }

private:
    static constexpr qsizetype kSpareUnits = 4096;
    static constexpr qsizetype kMaxShortWord = 64;

    // Horspool search with the skip table keyed by the low byte of each code unit: units that
    // share a low byte share the smallest skip, which keeps every skip safe.
    static qsizetype horspoolFind(QStringView haystack, QStringView word) {
        const qsizetype m = word.size();
        const qsizetype n = haystack.size();
        if (m > n)
            return -1;
        qsizetype skip[256];
        std::fill(std::begin(skip), std::end(skip), m);
        const char16_t* w = word.utf16();
        for (qsizetype i = 0; i + 1 < m; ++i)
            skip[w[i] & 0xFF] = m - 1 - i;
        const char16_t* h = haystack.utf16();
        const char16_t last = w[m - 1];
        for (qsizetype at = 0; at <= n - m;) {
            const char16_t probe = h[at + m - 1];
            if (probe == last && std::memcmp(h + at, w, size_t(m - 1) * sizeof(char16_t)) == 0)
                return at;
            at += skip[probe & 0xFF];
        }
        return -1;
    }

    // Most entries of a long list do not occur in a long text. A WORD holding a character the
    // text lacks costs nothing; otherwise a vectorised scan for the WORD's rarest character,
    // comparing only there, or a skipping search when all its characters are common.
    qsizetype findIn(QStringView haystack, QStringView word) const {
        if (word.isEmpty())
            return 0;
        if (word.size() == 1)
            return m_unitCounts[word[0].unicode()] == 0 ? -1 : haystack.indexOf(word[0]);
        qsizetype rarest = 0;
        for (qsizetype i = 1; i < word.size(); ++i)
            if (m_unitCounts[word[i].unicode()] < m_unitCounts[word[rarest].unicode()])
                rarest = i;
        const qint64 rarestCount = m_unitCounts[word[rarest].unicode()];
        if (rarestCount == 0)
            return -1;
        if (word.size() > kMaxShortWord)
            return haystack.indexOf(word, 0, Qt::CaseSensitive);
        if (rarestCount * 16 > size())
            return horspoolFind(haystack, word);
        const QChar rare = word[rarest];
        const qsizetype length = word.size();
        for (qsizetype at = rarest;;) {
            at = haystack.indexOf(rare, at);
            if (at < 0)
                return -1;
            const qsizetype start = at - rarest;
            if (start + length > haystack.size())
                return -1; // later candidates start later still
            if (std::memcmp(haystack.utf16() + start, word.utf16(),
                            size_t(length) * sizeof(char16_t)) == 0)
                return start;
            ++at;
        }
    }

    // Copies the text into a buffer with the gap at `gapAt`.
    void moveIntoBuffer(qsizetype gapAt) {
        const qsizetype n = m_original.size();
        const qsizetype spare = kSpareUnits + n / 4;
        allocate(n + spare);
        std::memcpy(m_buffer.get(), m_original.utf16(), size_t(gapAt) * sizeof(char16_t));
        std::memcpy(m_buffer.get() + gapAt + spare, m_original.utf16() + gapAt,
                    size_t(n - gapAt) * sizeof(char16_t));
        m_gapStart = gapAt;
        m_gapEnd = gapAt + spare;
        m_original = QString();
    }

    void allocate(qsizetype capacity) {
        m_buffer.reset(new char16_t[size_t(capacity)]); // left uninitialised: the gap is never read
        m_capacity = capacity;
    }

    void moveGapTo(qsizetype position) {
        char16_t* data = m_buffer.get();
        if (position < m_gapStart) {
            const qsizetype count = m_gapStart - position;
            std::memmove(data + m_gapEnd - count, data + position,
                         size_t(count) * sizeof(char16_t));
            m_gapStart = position;
            m_gapEnd -= count;
        } else if (position > m_gapStart) {
            const qsizetype count = position - m_gapStart;
            std::memmove(data + m_gapStart, data + m_gapEnd, size_t(count) * sizeof(char16_t));
            m_gapStart += count;
            m_gapEnd += count;
        }
    }

    void widenGap(qsizetype needed) {
        std::unique_ptr<char16_t[]> old = std::move(m_buffer);
        const qsizetype oldCapacity = m_capacity;
        const qsizetype tail = oldCapacity - m_gapEnd;
        allocate(2 * (m_gapStart + tail + needed) + kSpareUnits);
        std::memcpy(m_buffer.get(), old.get(), size_t(m_gapStart) * sizeof(char16_t));
        std::memcpy(m_buffer.get() + m_capacity - tail, old.get() + m_gapEnd,
                    size_t(tail) * sizeof(char16_t));
        m_gapEnd = m_capacity - tail;
    }

    QString m_original;                // the text while nothing has been replaced
    std::vector<quint32> m_unitCounts; // how often each UTF-16 code unit occurs in the text
    std::unique_ptr<char16_t[]> m_buffer;
    qsizetype m_capacity = 0;
    qsizetype m_gapStart = 0;
    qsizetype m_gapEnd = 0;
};

// REPLACEMENT is cut to 255 characters, without leaving half of a surrogate pair behind.
QStringView cutReplacement(QStringView replacement) {
    if (replacement.size() <= kMaxReplacementLength)
        return replacement;
    QStringView cut = replacement.left(kMaxReplacementLength);
    if (cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

} // namespace

QString applyReplacementList(const QString& text, const QString& replacementList,
                             const std::function<void()>& letEventsRun, TextEdits* edits) {
    // Own copies: a handler run through letEventsRun may replace the caller's list or text.
    const QString list = replacementList;
    if (list.isEmpty())
        return text; // an empty list has no entries
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
                if (edits)
                    edits->add(found, word.size(), replacement.size());
                searchFrom = std::max<qsizetype>(0, found - word.size() + 1);
            }
        }
        if (budgetSpent || entryEnd >= list.size())
            break;
        entryStart = entryEnd + 1;
    }
    return work.toString();
}

} // namespace orasent
