#include "documents/PdfStructure.h"

#include <poppler-qt6.h>

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

namespace orasent {

namespace {

// Outlines deeper or longer than any real book's are cut here.
constexpr int kMaxOutlineDepth = 16;
constexpr int kMaxOutlineEntries = 50000;
constexpr int kMaxHeadingLevel = 6;
// A heading is set at least this much larger than the body text and holds at most this much.
constexpr qreal kHeadingSizeRatio = 1.2;
constexpr int kMaxHeadingChars = 160;
constexpr int kMaxHeadingLines = 3;

// Letters and digits only, in lower case: "1.2  Tracing" and "1.2 TRACING" compare equal.
QString comparable(const QString& text) {
    QString out;
    for (QChar c : text)
        if (c.isLetterOrNumber())
            out += c.toLower();
    return out;
}

bool startsWithTitle(const QString& paragraph, const QString& title) {
    const QString p = comparable(paragraph);
    const QString t = comparable(title);
    return !t.isEmpty() && (p.startsWith(t) || (p.size() >= 3 && t.startsWith(p)));
}

struct OutlineReader {
    const Poppler::Document& document;
    std::vector<PdfOutlineEntry> entries;
    std::map<int, qreal> pageHeights; // in points, by page, as they are asked for

    qreal pageHeight(int index) {
        const auto known = pageHeights.find(index);
        if (known != pageHeights.end())
            return known->second;
        const std::unique_ptr<Poppler::Page> page = document.page(index);
        return pageHeights[index] = page ? page->pageSizeF().height() : 0;
    }

    void add(const Poppler::OutlineItem& item, int level) {
        const QSharedPointer<const Poppler::LinkDestination> destination = item.destination();
        if (!destination || destination->pageNumber() <= 0)
            return;
        PdfOutlineEntry entry{item.name().simplified(), level, destination->pageNumber() - 1};
        if (destination->isChangeTop() && destination->top() >= 0 && destination->top() <= 1)
            entry.top = destination->top() * pageHeight(entry.page);
        if (!entry.title.isEmpty())
            entries.push_back(entry);
    }

    void read(const QVector<Poppler::OutlineItem>& items, int level) {
        for (const Poppler::OutlineItem& item : items) {
            if (int(entries.size()) >= kMaxOutlineEntries)
                return;
            add(item, level);
            if (level < kMaxOutlineDepth && item.hasChildren())
                read(item.children(), level + 1);
        }
    }
};

// The first paragraph on `page` or after it.
size_t firstOnPage(const std::vector<PdfParagraph>& placed, int page) {
    return size_t(std::lower_bound(placed.begin(), placed.end(), page,
                                   [](const PdfParagraph& p, int v) { return p.page < v; }) -
                  placed.begin());
}

// A type size to the nearest half point, as a key.
int sizeKey(qreal lineHeight) {
    // A broken file's boxes may be of any height; no type is taller than a page.
    if (!std::isfinite(lineHeight))
        return 0;
    return int(std::clamp<qreal>(lineHeight, 0, 10000) * 2 + 0.5);
}

// The body text's size: the one that carries the most characters.
int bodySizeKey(const std::vector<PdfParagraph>& placed) {
    std::map<int, qsizetype> characters;
    for (const PdfParagraph& p : placed)
        if (p.lineHeight > 0)
            characters[sizeKey(p.lineHeight)] += p.text.size();
    int body = 0;
    qsizetype most = -1;
    for (const auto& [key, count] : characters)
        if (count > most)
            body = key, most = count;
    return body;
}

bool looksLikeHeading(const PdfParagraph& p, int bodyKey) {
    if (p.lineHeight <= 0 || sizeKey(p.lineHeight) < bodyKey * kHeadingSizeRatio)
        return false;
    if (p.text.size() > kMaxHeadingChars || p.lineCount > kMaxHeadingLines)
        return false;
    return std::count_if(p.text.begin(), p.text.end(), [](QChar c) { return c.isLetter(); }) >= 2;
}

QString infoEntry(const Poppler::Document& document, const char* key) {
    return document.info(QString::fromLatin1(key)).simplified();
}

// dc:language in the XMP metadata packet.
QString xmpLanguage(const QString& xmp) {
    static const QRegularExpression language(
        QStringLiteral("<dc:language>.*?<rdf:li[^>]*>\\s*([A-Za-z0-9-]{2,35})\\s*</rdf:li>"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = language.match(xmp);
    return match.hasMatch() ? match.captured(1) : QString();
}

void fillContents(const std::vector<PdfOutlineEntry>& outline,
                  const std::vector<PdfParagraph>& placed, PdfExtraction& result) {
    for (const PdfOutlineEntry& entry : outline) {
        bool titled = false;
        const int paragraph = paragraphOfOutlineEntry(entry, placed, &titled);
        if (paragraph < 0)
            continue;
        const int level = std::min(entry.level, kMaxHeadingLevel);
        result.contents.append(ContentsEntry{entry.title, level, paragraph});
        int& heading = result.headingLevels[paragraph];
        if (titled && (heading == 0 || level < heading))
            heading = level;
    }
}

bool isLanguageTag(const QString& tag) {
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z]{1,8}(-[A-Za-z0-9]{1,8})*$"));
    return shape.match(tag).hasMatch();
}

// A PDF string at `at`: (literal) with its escapes, or <hex>; UTF-16 when it starts with a BOM.
QString pdfString(const QByteArray& data, qsizetype at) {
    while (at < data.size() && QChar(data[at]).isSpace())
        ++at;
    QByteArray bytes;
    if (at < data.size() && data[at] == '(') {
        for (qsizetype i = at + 1; i < data.size() && data[i] != ')' && bytes.size() < 64; ++i)
            bytes += data[i] == '\\' && i + 1 < data.size() ? data[++i] : data[i];
    } else if (at < data.size() && data[at] == '<') {
        const qsizetype end = data.indexOf('>', at);
        if (end > at && end - at < 200)
            bytes = QByteArray::fromHex(data.mid(at + 1, end - at - 1));
    }
    if (bytes.size() >= 2 && uchar(bytes[0]) == 0xFE && uchar(bytes[1]) == 0xFF) {
        QString text;
        for (qsizetype i = 2; i + 1 < bytes.size(); i += 2)
            text += QChar(char16_t((uchar(bytes[i]) << 8) | uchar(bytes[i + 1])));
        return text.trimmed();
    }
    return QString::fromLatin1(bytes).trimmed();
}

// /Lang in the dictionary of an uncompressed object typed /Catalog. Each candidate is looked at
// within a few kilobytes around it, and only the first few, so that a hostile file full of
// "/Catalog" costs no more than one pass.
QString catalogLanguage(const QByteArray& data) {
    constexpr qsizetype kReach = 4096;
    constexpr int kMaxCandidates = 16;
    qsizetype at = data.indexOf("/Catalog");
    for (int seen = 0; at >= 0 && seen < kMaxCandidates; ++seen) {
        const qsizetype from = std::max<qsizetype>(0, at - kReach);
        const QByteArray around = data.mid(from, 2 * kReach);
        const qsizetype here = at - from;
        const qsizetype start = around.lastIndexOf(" obj", here);
        const qsizetype end = around.indexOf("endobj", here);
        const qsizetype lang = start < 0 ? -1 : around.indexOf("/Lang", start);
        if (lang >= 0 && (end < 0 || lang < end)) {
            const QString tag = pdfString(around, lang + 5);
            if (isLanguageTag(tag))
                return tag;
        }
        at = data.indexOf("/Catalog", at + 1);
    }
    return {};
}

} // namespace

QString declaredPdfLanguage(const QByteArray& data) {
    const QString catalog = catalogLanguage(data);
    if (!catalog.isEmpty())
        return catalog;
    const qsizetype xmp = data.indexOf("<dc:language>");
    return xmp < 0 ? QString() : xmpLanguage(QString::fromUtf8(data.mid(xmp, 1000)));
}

PdfExtraction::Status unlockPdf(Poppler::Document& document, const LoadProgress& progress) {
    for (bool again = false; document.isLocked(); again = true) {
        if (!progress.password)
            return PdfExtraction::Status::Locked;
        if (progress.cancelled && progress.cancelled())
            return PdfExtraction::Status::Cancelled;
        const std::optional<QString> password = progress.password(again);
        if (!password)
            return PdfExtraction::Status::Cancelled;
        // Newer files take the password in UTF-8, older ones in Latin-1.
        document.unlock(password->toUtf8(), password->toUtf8());
        if (document.isLocked() && password->toLatin1() != password->toUtf8())
            document.unlock(password->toLatin1(), password->toLatin1());
    }
    return PdfExtraction::Status::Ok;
}

int paragraphOfOutlineEntry(const PdfOutlineEntry& entry, const std::vector<PdfParagraph>& placed,
                            bool* titled) {
    if (titled)
        *titled = false;
    if (placed.empty())
        return -1;
    const size_t first = firstOnPage(placed, entry.page);
    // The title on its page or the next (a destination may point to the foot of the last one).
    for (size_t i = first; i < placed.size() && placed[i].page <= entry.page + 1; ++i) {
        if (startsWithTitle(placed[i].text, entry.title)) {
            if (titled)
                *titled = true;
            return int(i);
        }
    }
    for (size_t i = first; i < placed.size() && placed[i].page == entry.page; ++i)
        if (placed[i].top + placed[i].lineHeight >= entry.top)
            return int(i);
    return int(std::min(first, placed.size() - 1));
}

QVector<int> layoutHeadingLevels(const std::vector<PdfParagraph>& placed) {
    QVector<int> levels(qsizetype(placed.size()), 0);
    const int body = bodySizeKey(placed);
    std::vector<int> sizes;
    for (const PdfParagraph& p : placed)
        if (looksLikeHeading(p, body))
            sizes.push_back(sizeKey(p.lineHeight));
    // Headings are fewer than the paragraphs under them; more would be a layout of another kind
    // (a slide deck, a poster).
    if (sizes.empty() || sizes.size() * 2 > placed.size())
        return levels;
    std::sort(sizes.begin(), sizes.end(), std::greater<int>());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    for (size_t i = 0; i < placed.size(); ++i) {
        if (!looksLikeHeading(placed[i], body))
            continue;
        const auto rank = std::find(sizes.begin(), sizes.end(), sizeKey(placed[i].lineHeight));
        levels[qsizetype(i)] = std::min(int(rank - sizes.begin()) + 1, kMaxHeadingLevel);
    }
    return levels;
}

void readPdfStructure(const Poppler::Document& document, const QByteArray& data,
                      const std::vector<PdfParagraph>& placed, PdfExtraction& result) {
    result.metadata.title = infoEntry(document, "Title");
    result.metadata.author = infoEntry(document, "Author");
    result.metadata.language = declaredPdfLanguage(data);
    if (result.metadata.language.isEmpty())
        result.metadata.language = xmpLanguage(document.metadata());
    OutlineReader outline{document, {}, {}};
    outline.read(document.outline(), 1);
    result.headingLevels = QVector<int>(qsizetype(placed.size()), 0);
    if (!outline.entries.empty()) {
        fillContents(outline.entries, placed, result);
        return;
    }
    result.headingLevels = layoutHeadingLevels(placed);
    for (qsizetype i = 0; i < result.headingLevels.size(); ++i)
        if (const int level = result.headingLevels[i])
            result.contents.append(ContentsEntry{placed[size_t(i)].text, level, int(i)});
}

} // namespace orasent
