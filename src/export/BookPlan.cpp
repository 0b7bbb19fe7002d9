#include "export/BookPlan.h"

#include <QRegularExpression>

namespace orasent {

int chapterLevel(const QVector<ContentsEntry>& contents) {
    int count[7] = {};
    for (const ContentsEntry& e : contents)
        ++count[qBound(1, e.level, 6)];
    for (int level = 1; level <= 6; ++level)
        if (count[level] >= 2)
            return level;
    return 0;
}

QVector<ExportChapter> planChapters(const Document& document,
                                    const QVector<qsizetype>& paragraphStarts, int maxChapters) {
    const int level = chapterLevel(document.contents);
    QVector<ExportChapter> all;
    if (level == 0)
        return all;
    for (const ContentsEntry& e : document.contents) {
        if (qBound(1, e.level, 6) != level || e.paragraph < 0 ||
            e.paragraph >= paragraphStarts.size())
            continue;
        const qsizetype offset = paragraphStarts[e.paragraph];
        if (!all.isEmpty() && offset <= all.last().textOffset)
            continue; // two entries at one place: the first names it
        all.append({e.title.simplified(), offset});
    }
    if (!all.isEmpty())
        all.first().textOffset = 0;
    if (all.size() <= maxChapters || maxChapters < 1)
        return all;
    QVector<ExportChapter> joined;
    for (int i = 0; i < maxChapters; ++i)
        joined.append(all[int(qint64(i) * all.size() / maxChapters)]);
    return joined;
}

QVector<TextBlock> textBlocks(const QString& text, const Document& document,
                              const QVector<qsizetype>& paragraphStarts) {
    QVector<TextBlock> blocks;
    if (!document.paragraphs.isEmpty() && paragraphStarts.size() == document.paragraphs.size()) {
        for (int i = 0; i < document.paragraphs.size(); ++i) {
            const Paragraph& p = document.paragraphs[i];
            const QString simple = p.text.simplified();
            const qsizetype start = paragraphStarts[i];
            if (simple.isEmpty() || QStringView(text).mid(start, simple.size()) != simple)
                continue;
            blocks.append({start, simple.size(), p.kind, p.level, p.language});
        }
        if (!blocks.isEmpty())
            return blocks;
    }
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0)
            end = text.size();
        if (!QStringView(text).mid(start, end - start).trimmed().isEmpty())
            blocks.append({start, end - start, Paragraph::Kind::Body, 0, QString()});
        start = end + 1;
    }
    return blocks;
}

QString safeFileName(const QString& title, const QString& fallback, int maxChars) {
    static const QRegularExpression refused(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f\x7f])"));
    QString name = QString(title).replace(refused, QStringLiteral(" ")).simplified();
    while (name.startsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char(' ')))
        name.remove(0, 1);
    if (name.size() > maxChars) {
        const qsizetype blank = name.lastIndexOf(QLatin1Char(' '), maxChars);
        name.truncate(blank > maxChars / 2 ? blank : maxChars);
        if (name.at(name.size() - 1).isHighSurrogate())
            name.chop(1);
    }
    while (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        name.chop(1);
    return name.isEmpty() ? fallback : name;
}

} // namespace orasent
