#include "documents/PdfLayout.h"

#include "common/ParagraphText.h"

#include <algorithm>
#include <cmath>

namespace orasent {

namespace {

// Word spacing and first-line indent, as parts of a line's height (about 1.15 em).
constexpr qreal kSpace = 0.25;
constexpr qreal kIndent = 0.8;
// A narrow block (a table cell, a short list) is judged against at least this measure, in line
// heights, so that one-word lines are not taken for a wrapped paragraph.
constexpr qreal kMinMeasure = 10;

// Boxes of a broken file may hold NaN or infinities, which would upset every comparison.
bool finite(const QRectF& box) {
    return std::isfinite(box.left()) && std::isfinite(box.top()) && std::isfinite(box.width()) &&
           std::isfinite(box.height()) && std::abs(box.left()) < 1e7 && std::abs(box.top()) < 1e7 &&
           box.width() < 1e7 && box.height() < 1e7;
}

qreal heightOf(const PdfLine& line) {
    return std::max<qreal>(line.box.height(), 1.0);
}

// The Latin ligature code points, spelt out so that the words read and join as letters.
QString withoutLigatures(const QString& text) {
    static const char* const expansions[] = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u >= 0xFB00 && u <= 0xFB06)
            out += QLatin1String(expansions[u - 0xFB00]);
        else
            out += c;
    }
    return out;
}

void appendWord(PdfLine& line, const PdfWord& previous, const PdfWord& word) {
    // A wide gap is a blank even when the PDF has none, so cells on one line never glue.
    const qreal gap = word.box.left() - previous.box.right();
    const bool blank = previous.spaceAfter || gap > 0.3 * std::max<qreal>(word.box.height(), 1.0);
    if (blank)
        line.text += QLatin1Char(' ');
    else if (!line.text.contains(QLatin1Char(' '))) // the first word comes in pieces
        line.firstWordWidth = word.box.right() - line.box.left();
    line.text += withoutLigatures(word.text);
    line.box |= word.box;
}

struct Block {
    size_t first = 0;
    size_t end = 0; // one past the last line
    qreal left = 0;
    qreal right = 0;
};

// A line that is not below its predecessor, or beside it, starts another column or cell.
bool startsNewBlock(const PdfLine& a, const PdfLine& b) {
    const qreal h = std::min(heightOf(a), heightOf(b));
    if (b.box.top() < a.box.bottom() - 0.5 * h)
        return true;
    if (b.box.left() >= a.box.right() || b.box.right() <= a.box.left())
        return true;
    return b.box.top() - a.box.bottom() > 3 * h;
}

std::vector<Block> blocksOf(const std::vector<PdfLine>& lines) {
    std::vector<Block> blocks;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QRectF& box = lines[i].box;
        if (blocks.empty() || startsNewBlock(lines[i - 1], lines[i])) {
            blocks.push_back({i, i + 1, box.left(), box.right()});
            continue;
        }
        Block& block = blocks.back();
        block.end = i + 1;
        block.left = std::min(block.left, box.left());
        block.right = std::max(block.right, box.right());
    }
    return blocks;
}

bool similarHeights(const PdfLine& a, const PdfLine& b) {
    return std::max(heightOf(a), heightOf(b)) <= 1.25 * std::min(heightOf(a), heightOf(b));
}

// The page's ordinary distance from one line's bottom to the next's: its lower quartile, so
// that the wider steps between paragraphs stand out.
qreal normalPitch(const std::vector<PdfLine>& lines, const std::vector<Block>& blocks) {
    std::vector<qreal> pitches;
    for (const Block& block : blocks)
        for (size_t i = block.first + 1; i < block.end; ++i)
            if (similarHeights(lines[i - 1], lines[i]))
                pitches.push_back(lines[i].box.bottom() - lines[i - 1].box.bottom());
    if (pitches.empty())
        return 0;
    std::sort(pitches.begin(), pitches.end());
    return pitches[pitches.size() / 4];
}

qreal measureRight(const Block& block, qreal h) {
    return std::max(block.right, block.left + kMinMeasure * h);
}

bool endsWithLetterHyphen(const QString& text) {
    const QString t = text.trimmed();
    return t.size() >= 2 && t.back() == QLatin1Char('-') && t.at(t.size() - 2).isLetter();
}

bool startsWithBullet(const QString& text) {
    static const QString bullets = QStringLiteral("\u2022\u25E6\u25AA\u2023\u00B7\u2013\u25CF");
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    if (bullets.contains(t.front()))
        return true;
    return t.size() > 1 && (t.front() == QLatin1Char('-') || t.front() == QLatin1Char('*')) &&
           t.at(1).isSpace();
}

// A contents line: leader dots, then a page number.
bool endsWithLeader(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || !t.back().isDigit())
        return false;
    const QString head = t.left(t.size() - t.section(QLatin1Char(' '), -1).size()).trimmed();
    return head.endsWith(QLatin1String("...")) || head.endsWith(QLatin1String(". . ."));
}

// Would the next line's first word have fitted at the end of this one? Then this line was
// ended on purpose: the last line of its paragraph.
bool endsShort(const PdfLine& a, qreal nextFirstWord, const Block& block) {
    const qreal h = heightOf(a);
    if (endsWithLetterHyphen(a.text))
        return false;
    return a.box.right() + kSpace * h + nextFirstWord < measureRight(block, h) - 0.1 * h;
}

bool paragraphBreak(const PdfLine& a, const PdfLine& b, const Block& block, qreal pitch) {
    const qreal h = std::min(heightOf(a), heightOf(b));
    if (!similarHeights(a, b))
        return true; // the type size changes: a heading
    // A step clearly wider than the page's usual one; without a usual one, more than a blank
    // line of space (double-spaced text stays joined either way).
    const qreal step = b.box.bottom() - a.box.bottom();
    if (pitch > 0 ? step > 1.3 * pitch && step > pitch + 0.25 * h
                  : b.box.top() - a.box.bottom() > 1.5 * h)
        return true;
    if (startsWithBullet(b.text) || endsWithLeader(a.text))
        return true;
    // An indent starts a paragraph, except under a bullet, whose item hangs.
    const qreal indent = kIndent * h;
    if (b.box.left() > a.box.left() + indent && b.box.left() > block.left + indent &&
        !startsWithBullet(a.text))
        return true;
    return endsShort(a, b.firstWordWidth, block);
}

struct Paragraph {
    QStringList lines;
    qreal firstWordWidth = 0; // of its first line
    qreal slack = 0;          // room left at the end of its last line, in points
    qreal space = 0;          // a blank's width in its last line
    bool textless = false;    // read from a page without text: never joined
    bool opensBlock = false;  // first in its column or cell: it may go on from the last one
    int page = 0;
    qreal top = 0;
    qreal lineHeight = 0; // of its first line
};

Paragraph startParagraph(const PdfLine& line) {
    Paragraph p;
    p.lines << line.text;
    p.firstWordWidth = line.firstWordWidth;
    p.top = line.box.top();
    p.lineHeight = heightOf(line);
    return p;
}

void closeParagraph(Paragraph& p, const PdfLine& last, const Block& block) {
    const qreal h = heightOf(last);
    p.slack = measureRight(block, h) - last.box.right();
    p.space = kSpace * h;
}

void appendPageParagraphs(const std::vector<PdfLine>& lines, std::vector<Paragraph>& out) {
    const std::vector<Block> blocks = blocksOf(lines);
    const qreal pitch = normalPitch(lines, blocks);
    for (const Block& block : blocks) {
        Paragraph current = startParagraph(lines[block.first]);
        current.opensBlock = true;
        for (size_t i = block.first + 1; i < block.end; ++i) {
            if (paragraphBreak(lines[i - 1], lines[i], block, pitch)) {
                closeParagraph(current, lines[i - 1], block);
                out.push_back(current);
                current = startParagraph(lines[i]);
            } else {
                current.lines << lines[i].text;
            }
        }
        closeParagraph(current, lines[block.end - 1], block);
        out.push_back(current);
    }
}

bool endsSentence(const QString& text) {
    static const QString closers = QStringLiteral("\"')]\u201D\u2019");
    QString t = text.trimmed();
    while (!t.isEmpty() && closers.contains(t.back()))
        t.chop(1);
    return !t.isEmpty() && QStringLiteral(".!?:;").contains(t.back());
}

// A paragraph cut by a column or page end: its last line runs to the measure (or ends in a
// hyphen), it ends no sentence, and the next block starts in lower case.
bool continues(const Paragraph& p, const Paragraph& next) {
    if (p.textless || next.textless || !next.opensBlock || p.lines.isEmpty() ||
        next.lines.isEmpty())
        return false;
    const QString head = next.lines.front().trimmed();
    if (head.isEmpty() || !head.front().isLower())
        return false;
    const QString& tail = p.lines.back();
    if (endsWithLetterHyphen(tail))
        return true;
    return !endsSentence(tail) && p.slack < p.space + next.firstWordWidth;
}

// A bullet set apart from its item, as its own column.
bool isLoneBullet(const Paragraph& p) {
    static const QString glyphs = QStringLiteral("\u2022\u25E6\u25AA\u2023\u25CF");
    if (p.textless || p.lines.size() != 1)
        return false;
    const QString t = p.lines.front().trimmed();
    return t.size() == 1 && glyphs.contains(t.front());
}

// A soft hyphen or Unicode hyphen at a line end joins like "-".
QString withPlainHyphen(QString line) {
    line = line.trimmed();
    if (!line.isEmpty() && (line.back() == QChar(0x00AD) || line.back() == QChar(0x2010)))
        line.back() = QLatin1Char('-');
    return line;
}

} // namespace

std::vector<PdfLine> linesFromWords(const std::vector<PdfWord>& words) {
    std::vector<PdfLine> lines;
    const PdfWord* previous = nullptr;
    for (const PdfWord& word : words) {
        if (word.text.trimmed().isEmpty() || !finite(word.box)) {
            if (word.endsLine)
                previous = nullptr;
            continue;
        }
        if (!previous) {
            lines.push_back({withoutLigatures(word.text), word.box, word.box.width()});
        } else {
            appendWord(lines.back(), *previous, word);
        }
        previous = word.endsLine ? nullptr : &word;
    }
    return lines;
}

struct PdfParagraphJoiner::Found {
    std::vector<Paragraph> paragraphs;
    int pagesAdded = 0;
};

PdfParagraphJoiner::PdfParagraphJoiner() : m_found(std::make_unique<Found>()) {}
PdfParagraphJoiner::~PdfParagraphJoiner() = default;

void PdfParagraphJoiner::addPage(const PdfPageLines& page) {
    std::vector<Paragraph>& found = m_found->paragraphs;
    const int pageIndex = page.pageIndex >= 0 ? page.pageIndex : m_found->pagesAdded;
    ++m_found->pagesAdded;
    std::vector<Paragraph> own;
    if (page.lines.empty()) {
        for (const QString& text : page.readParagraphs)
            own.push_back({{text}, 0, 0, 0, true, false, 0, 0, 0});
    } else {
        appendPageParagraphs(page.lines, own);
    }
    for (Paragraph& p : own) {
        p.page = pageIndex;
        if (!found.empty() && (isLoneBullet(found.back()) || continues(found.back(), p))) {
            found.back().lines += p.lines;
            found.back().slack = p.slack;
            found.back().space = p.space;
        } else {
            found.push_back(std::move(p));
        }
    }
}

namespace {
std::vector<PdfParagraph> finishedParagraphs(std::vector<Paragraph>& found, size_t count) {
    std::vector<PdfParagraph> paragraphs;
    for (size_t i = 0; i < count; ++i) {
        const Paragraph& p = found[i];
        QStringList lines;
        for (const QString& line : std::as_const(p.lines))
            lines << withPlainHyphen(line);
        QString text = joinParagraphLines(lines).simplified();
        if (!text.isEmpty())
            paragraphs.push_back(
                {std::move(text), p.page, p.top, p.lineHeight, int(p.lines.size())});
    }
    found.erase(found.begin(), found.begin() + std::ptrdiff_t(count));
    return paragraphs;
}
} // namespace

std::vector<PdfParagraph> PdfParagraphJoiner::takeFinished() {
    std::vector<Paragraph>& found = m_found->paragraphs;
    return found.size() < 2 ? std::vector<PdfParagraph>()
                            : finishedParagraphs(found, found.size() - 1);
}

std::vector<PdfParagraph> PdfParagraphJoiner::takeRest() {
    return finishedParagraphs(m_found->paragraphs, m_found->paragraphs.size());
}

std::vector<PdfParagraph> placedParagraphsFromPages(const std::vector<PdfPageLines>& pages) {
    PdfParagraphJoiner joiner;
    for (const PdfPageLines& page : pages)
        joiner.addPage(page);
    return joiner.takeRest();
}

QStringList paragraphsFromPages(const std::vector<PdfPageLines>& pages) {
    QStringList paragraphs;
    for (const PdfParagraph& p : placedParagraphsFromPages(pages))
        paragraphs << p.text;
    return paragraphs;
}

} // namespace orasent
