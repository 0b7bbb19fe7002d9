#include "documents/Document.h"

#include <algorithm>

namespace orasent {

QString Document::languageOf(int paragraph) const {
    if (paragraph >= 0 && paragraph < paragraphs.size() &&
        !paragraphs.at(paragraph).language.isEmpty())
        return paragraphs.at(paragraph).language;
    return metadata.language;
}

int BookTextMap::paragraphAt(qsizetype offset) const {
    if (starts.isEmpty())
        return -1;
    // The last paragraph whose start is at or before offset; empty ones share their start with
    // the next, so upper_bound lands past all of them.
    const auto after = std::upper_bound(starts.cbegin(), starts.cend(), offset);
    return after == starts.cbegin() ? 0 : int(after - starts.cbegin()) - 1;
}

BookTextMap bookTextFromDocument(const QVector<Paragraph>& paragraphs) {
    BookTextMap map;
    appendToBookText(map, paragraphs);
    return map;
}

void appendToBookText(BookTextMap& map, const QVector<Paragraph>& paragraphs) {
    if (map.starts.isEmpty())
        map.starts.reserve(paragraphs.size());
    for (const Paragraph& raw : paragraphs) {
        const QString paragraph = raw.text.simplified();
        if (paragraph.isEmpty()) {
            // Starts where the next text will: after the line break that text adds.
            map.starts.append(map.bookText.isEmpty() ? 0 : map.bookText.size() + 2);
            continue;
        }
        if (!map.bookText.isEmpty())
            map.bookText += QStringLiteral("\r\n");
        map.starts.append(map.bookText.size());
        map.bookText += paragraph;
        map.bookText +=
            paragraph.endsWith(QLatin1Char('.')) ? QStringLiteral(" ") : QStringLiteral(". ");
    }
}

QVector<ContentsEntry> contentsFromHeadings(const QVector<Paragraph>& paragraphs) {
    QVector<ContentsEntry> contents;
    for (int i = 0; i < paragraphs.size(); ++i) {
        const Paragraph& p = paragraphs.at(i);
        if (p.kind == Paragraph::Kind::Heading)
            contents.append({p.text.simplified(), qBound(1, p.level, 6), i});
    }
    return contents;
}

} // namespace orasent
