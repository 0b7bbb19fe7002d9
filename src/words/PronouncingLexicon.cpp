#include "words/PronouncingLexicon.h"

#include <QRegularExpression>

namespace orasent {

PronouncingLexicon::PronouncingLexicon(const QString& path) : m_file(path) {
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    m_size = m_file.size();
    if (m_size > 0)
        m_data = reinterpret_cast<const char*>(m_file.map(0, m_size));
}

// The line that starts at `offset`; *next is where the one after it starts.
QByteArray PronouncingLexicon::lineAt(qint64 offset, qint64* next) const {
    qint64 end = offset;
    while (end < m_size && m_data[end] != '\n')
        ++end;
    *next = end + 1;
    return QByteArray::fromRawData(m_data + offset, end - offset);
}

QByteArray PronouncingLexicon::headWord(const QByteArray& line) {
    if (!line.startsWith("(\""))
        return {};
    const qsizetype close = line.indexOf('"', 2);
    return close < 0 ? QByteArray() : line.mid(2, close - 2).toLower();
}

PronouncingLexicon::Syllables PronouncingLexicon::lookUp(const QString& word) const {
    if (!m_data || word.isEmpty())
        return {};
    const QByteArray key = word.toLower().toUtf8();
    // The first line whose head word is not below the key (the header line has none).
    qint64 low = 0, high = m_size;
    while (low < high) {
        qint64 start = low + (high - low) / 2;
        while (start > low && m_data[start - 1] != '\n')
            --start;
        qint64 next = 0;
        if (headWord(lineAt(start, &next)) < key)
            low = next;
        else
            high = start;
    }
    if (low >= m_size)
        return {};
    qint64 next = 0;
    const QByteArray line = lineAt(low, &next);
    return headWord(line) == key ? parseEntry(line) : Syllables();
}

PronouncingLexicon::Syllables PronouncingLexicon::parseEntry(const QByteArray& line) {
    static const QRegularExpression syllable(QStringLiteral("\\(\\(([a-z0-9 ]+)\\) [0-9]\\)"));
    Syllables result;
    auto it = syllable.globalMatch(QString::fromLatin1(line));
    while (it.hasNext()) {
        QList<QByteArray> phones;
        for (const QString& phone :
             it.next().captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            phones << phone.toLatin1();
        result << phones;
    }
    return result;
}

} // namespace orasent
