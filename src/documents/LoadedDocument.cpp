#include "documents/LoadedDocument.h"

#include <QCryptographicHash>

#include <algorithm>
#include <utility>
#include <vector>

namespace orasent {

LoadedDocument::LoadedDocument(QString path, QString bookText, Document document,
                               QVector<qsizetype> starts)
    : m_path(std::move(path)), m_bookText(std::move(bookText)), m_document(std::move(document)),
      m_starts(std::move(starts)) {
    for (const ContentsEntry& entry : std::as_const(m_document.contents)) {
        // An entry pointing outside the document, or past the text, leads nowhere.
        if (entry.paragraph < 0 || entry.paragraph >= m_starts.size())
            continue;
        const qsizetype start = m_starts.at(entry.paragraph);
        if (start < 0 || start >= m_bookText.size())
            continue;
        m_chapters.append({int(m_chapters.size()), entry.title.simplified(),
                           qBound(1, entry.level, 6), double(start) + 1, 0});
    }
    // Each ends where the nearest chapter after it begins.
    std::vector<double> begins;
    for (const Chapter& chapter : std::as_const(m_chapters))
        begins.push_back(chapter.position);
    std::sort(begins.begin(), begins.end());
    for (Chapter& chapter : m_chapters) {
        const auto next = std::upper_bound(begins.begin(), begins.end(), chapter.position);
        chapter.end = next == begins.end() ? 0 : *next;
    }
    const qsizetype count = std::min<qsizetype>(m_document.paragraphs.size(), m_starts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString language = m_document.languageOf(int(i));
        if (m_languages.isEmpty() || m_languages.last().language != language)
            m_languages.append({m_starts.at(i), language});
    }
}

std::optional<LoadedDocument::Chapter> LoadedDocument::chapterAt(double position) const {
    const Chapter* found = nullptr;
    for (const Chapter& chapter : m_chapters)
        if (chapter.position <= position && (!found || chapter.position >= found->position))
            found = &chapter;
    return found ? std::optional<Chapter>(*found) : std::nullopt;
}

QString LoadedDocument::languageAt(qsizetype offset) const {
    if (m_languages.isEmpty())
        return {};
    const auto after =
        std::upper_bound(m_languages.cbegin(), m_languages.cend(), offset,
                         [](qsizetype value, const LanguageRun& run) { return value < run.start; });
    return after == m_languages.cbegin() ? m_languages.first().language
                                         : std::prev(after)->language;
}

QByteArray contentKey(QStringView bookText) {
    // The text as it is held (UTF-16 in this machine's byte order): the library stays on it.
    const QByteArrayView bytes(reinterpret_cast<const char*>(bookText.data()),
                               bookText.size() * qsizetype(sizeof(QChar)));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).left(20).toHex();
}

} // namespace orasent
