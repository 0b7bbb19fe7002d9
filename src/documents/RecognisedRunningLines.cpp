#include "documents/RecognisedRunningLines.h"

#include "documents/PdfLayout.h"

#include <algorithm>
#include <vector>

namespace orasent {

namespace {

// Longer paragraphs are text, whatever repeats.
constexpr int kLongestRunningLine = 120;

// Lower-case letters with every run of digits one '#', the rest left out: "Page 3" and
// "page 14." match, and so do "r9jm.qxd" and "r9jm qxd" as recognition reads them.
QString edgeKey(const QString& text) {
    QString key;
    for (const QChar c : text) {
        if (c.isDigit()) {
            if (key.isEmpty() || key.back() != QLatin1Char('#'))
                key += QLatin1Char('#');
        } else if (c.isLetter()) {
            key += c.toLower();
        }
    }
    return key;
}

int editDistance(const QString& a, const QString& b) {
    std::vector<int> row(size_t(b.size()) + 1);
    for (size_t j = 0; j < row.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row.back();
}

// The same line read twice: equal, or, when long enough to tell, a slip in every five letters.
bool sameLine(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const qsizetype longer = std::max(a.size(), b.size());
    if (std::min(a.size(), b.size()) < 6 || std::abs(a.size() - b.size()) > longer / 5)
        return false;
    return editDistance(a, b) <= longer / 5;
}

QString keyOf(const QString& paragraph) {
    return paragraph.size() > kLongestRunningLine ? QString() : edgeKey(paragraph);
}

// How many paragraphs at each end may be running lines: on a short page, its half.
qsizetype edgeSize(qsizetype count) {
    return std::min<qsizetype>(RecognisedRunningLines::kEdge, (count + 1) / 2);
}

} // namespace

void RecognisedRunningLines::learn(int index, const QStringList& paragraphs) {
    Edges edges;
    const qsizetype count = paragraphs.size();
    for (qsizetype i = 0; i < edgeSize(count); ++i) {
        edges.top << keyOf(paragraphs[i]);
        edges.bottom << keyOf(paragraphs[count - 1 - i]);
    }
    m_pages[index] = edges;
}

bool RecognisedRunningLines::repeated(int index, const QString& key, bool top) const {
    if (key.isEmpty())
        return false;
    for (auto it = m_pages.lower_bound(index - kReach);
         it != m_pages.end() && it->first <= index + kReach; ++it) {
        if (it->first == index)
            continue;
        const QStringList& others = top ? it->second.top : it->second.bottom;
        if (std::any_of(others.begin(), others.end(),
                        [&](const QString& other) { return sameLine(key, other); }))
            return true;
    }
    return false;
}

QStringList RecognisedRunningLines::withoutRunningLines(int index,
                                                        const QStringList& paragraphs) const {
    const qsizetype count = paragraphs.size();
    std::vector<bool> drop(size_t(count), false);
    for (qsizetype i = 0; i < edgeSize(count); ++i) {
        for (const bool top : {true, false}) {
            const qsizetype at = top ? i : count - 1 - i;
            const QString& text = paragraphs[at];
            if (isPageNumber(text) || repeated(index, keyOf(text), top))
                drop[size_t(at)] = true;
        }
    }
    QStringList kept;
    for (qsizetype i = 0; i < count; ++i)
        if (!drop[size_t(i)])
            kept << paragraphs[i];
    return kept;
}

void RecognisedRunningLines::forgetBefore(int index) {
    m_pages.erase(m_pages.begin(), m_pages.lower_bound(index));
}

} // namespace orasent
