// Running headers, footers and page numbers of a PDF's pages.
#include "documents/PdfLayout.h"

#include <QHash>
#include <algorithm>
#include <cmath>

namespace orasent {

namespace {

// Headers and footers sit in the top or bottom sixth of the page.
constexpr qreal kBand = 1.0 / 6;

bool inBand(const PdfLine& line, const QSizeF& page) {
    if (page.height() <= 0)
        return false;
    const qreal y = line.box.center().y() / page.height();
    return y < kBand || y > 1 - kBand;
}

// Lower case, blanks simplified, every run of digits one '#': "Page 3" and "Page 14" match.
QString runningKey(const QString& text) {
    QString key;
    const QString simple = text.simplified().toLower();
    key.reserve(simple.size());
    for (const QChar c : simple) {
        if (!c.isDigit())
            key += c;
        else if (key.isEmpty() || key.back() != QLatin1Char('#'))
            key += QLatin1Char('#');
    }
    return key;
}

struct Place {
    qreal centre = 0;
    qreal height = 0;
    int page = 0;    // its number in the document, for the parity
    size_t slot = 0; // its sample page
    size_t line = 0;
};

// Enough pages for a running line: all of two; otherwise at least three and two fifths of the
// pages with text, or four fifths (and two or more) of the left or of the right pages, so that
// headers that alternate between left and right pages count, and two chapter openings do not.
struct Coverage {
    int pages[2] = {0, 0}; // pages with text, even and odd page index

    bool enough(const int seen[2]) const {
        const int total = pages[0] + pages[1];
        const int both = seen[0] + seen[1];
        if (total <= 2)
            return total == 2 && both == 2;
        if (both >= std::max(3, int(std::ceil(0.4 * total))))
            return true;
        for (int parity : {0, 1})
            if (seen[parity] >= 2 && seen[parity] >= 0.8 * pages[parity])
                return true;
        return false;
    }
};

// Marks the places of one text that lie, on enough distinct pages, within about half a line of
// each other, and returns the tolerance used. Centres sorted, so one window slides over them.
qreal markRepeats(std::vector<Place>& places, const Coverage& coverage,
                  std::vector<std::vector<bool>>& drop) {
    std::sort(places.begin(), places.end(),
              [](const Place& a, const Place& b) { return a.centre < b.centre; });
    std::vector<qreal> heights;
    for (const Place& p : places)
        heights.push_back(p.height);
    std::nth_element(heights.begin(), heights.begin() + heights.size() / 2, heights.end());
    const qreal tolerance = std::max<qreal>(2.0, 0.75 * heights[heights.size() / 2]);
    QHash<int, int> inWindow; // page -> its places in the window
    int seen[2] = {0, 0};     // distinct pages in the window, by parity
    size_t lo = 0, hi = 0;
    for (size_t i = 0; i < places.size(); ++i) {
        for (; hi < places.size() && places[hi].centre <= places[i].centre + tolerance; ++hi)
            if (++inWindow[places[hi].page] == 1)
                ++seen[places[hi].page % 2];
        for (; places[lo].centre < places[i].centre - tolerance; ++lo)
            if (--inWindow[places[lo].page] == 0)
                --seen[places[lo].page % 2];
        if (coverage.enough(seen))
            drop[places[i].slot][places[i].line] = true;
    }
    return tolerance;
}

void dropMarked(PdfPageLines& page, const std::vector<bool>& drop) {
    std::vector<PdfLine> kept;
    for (size_t i = 0; i < page.lines.size(); ++i)
        if (!drop[i])
            kept.push_back(std::move(page.lines[i]));
    page.lines = std::move(kept);
}

// The page's topmost and bottommost line, if it is a page number in its band.
void dropPageNumbers(PdfPageLines& page) {
    for (const bool top : {true, false}) {
        auto& lines = page.lines;
        if (lines.empty())
            return;
        const auto extreme = top ? std::min_element(lines.begin(), lines.end(),
                                                    [](const PdfLine& a, const PdfLine& b) {
                                                        return a.box.top() < b.box.top();
                                                    })
                                 : std::max_element(lines.begin(), lines.end(),
                                                    [](const PdfLine& a, const PdfLine& b) {
                                                        return a.box.bottom() < b.box.bottom();
                                                    });
        if (inBand(*extreme, page.size) && isPageNumber(extreme->text))
            lines.erase(extreme);
    }
}

bool isRoman(const QString& s) {
    // Lower case only: a capital "I" or "C" alone is more likely a word or a heading.
    static const QStringList units = {"", "i", "ii", "iii", "iv", "v", "vi", "vii", "viii", "ix"};
    static const QStringList tens = {"", "x", "xx", "xxx", "xl", "l", "lx", "lxx", "lxxx", "xc"};
    for (const QString& t : tens)
        for (const QString& u : units)
            if (!(t + u).isEmpty() && s == t + u)
                return true;
    return false;
}

bool isNumber(const QString& s) {
    if (s.isEmpty() || s.size() > 5)
        return isRoman(s);
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); }) || isRoman(s);
}

} // namespace

bool isPageNumber(const QString& line) {
    static const QString decoration = QStringLiteral("-\u2013\u2014[]()|\u00B7\u2022 ");
    QString s = line.simplified();
    while (!s.isEmpty() && decoration.contains(s.front()))
        s.remove(0, 1);
    while (!s.isEmpty() && decoration.contains(s.back()))
        s.chop(1);
    for (const QString& prefix : {QStringLiteral("page "), QStringLiteral("p. ")})
        if (s.startsWith(prefix, Qt::CaseInsensitive))
            s = s.mid(prefix.size());
    QStringList parts = s.split(QLatin1Char('/'));
    if (parts.size() == 1)
        parts = s.split(QStringLiteral(" of "));
    if (parts.size() > 2)
        return false;
    return std::all_of(parts.begin(), parts.end(),
                       [](const QString& p) { return isNumber(p.trimmed()); });
}

RunningLines::RunningLines(const std::vector<PdfPageLines>& sample,
                           const std::vector<int>& indices) {
    QHash<QString, std::vector<Place>> byText;
    std::vector<std::vector<bool>> drop(sample.size());
    Coverage coverage;
    for (size_t s = 0; s < sample.size(); ++s) {
        const auto& lines = sample[s].lines;
        const int page = indices[s];
        drop[s].assign(lines.size(), false);
        coverage.pages[page % 2] += lines.empty() ? 0 : 1;
        for (size_t i = 0; i < lines.size(); ++i)
            if (inBand(lines[i], sample[s].size))
                byText[runningKey(lines[i].text)].push_back(
                    {lines[i].box.center().y(), lines[i].box.height(), page, s, i});
    }
    for (auto it = byText.begin(); it != byText.end(); ++it) {
        const qreal tolerance = markRepeats(it.value(), coverage, drop);
        for (const Place& place : it.value())
            if (drop[place.slot][place.line])
                m_marks[it.key()].push_back({place.centre, tolerance});
    }
    for (size_t s = 0; s < sample.size(); ++s)
        m_sampled[indices[s]] = std::move(drop[s]);
}

void RunningLines::dropFrom(PdfPageLines& page, int index) const {
    const auto sampled = m_sampled.find(index);
    if (sampled != m_sampled.end() && sampled->second.size() == page.lines.size()) {
        dropMarked(page, sampled->second);
    } else if (!m_marks.isEmpty()) {
        // A page outside the sample: a band line like a marked one, at about its height.
        std::vector<bool> drop(page.lines.size(), false);
        for (size_t i = 0; i < page.lines.size(); ++i) {
            const PdfLine& line = page.lines[i];
            if (!inBand(line, page.size))
                continue;
            const auto marks = m_marks.constFind(runningKey(line.text));
            if (marks == m_marks.cend())
                continue;
            const qreal centre = line.box.center().y();
            for (const Mark& mark : *marks)
                if (std::abs(mark.centre - centre) <= mark.tolerance)
                    drop[i] = true;
        }
        dropMarked(page, drop);
    }
    dropPageNumbers(page);
}

void dropRunningLines(std::vector<PdfPageLines>& pages) {
    std::vector<int> indices(pages.size());
    for (size_t p = 0; p < pages.size(); ++p)
        indices[p] = int(p);
    const RunningLines running(pages, indices);
    for (size_t p = 0; p < pages.size(); ++p)
        running.dropFrom(pages[p], int(p));
}

} // namespace orasent
