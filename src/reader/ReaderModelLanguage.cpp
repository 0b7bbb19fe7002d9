// The language each sentence is handed over in: that of the paragraph its first word lies in.
#include "common/Numbers.h"
#include "reader/ReaderModel.h"

#include <algorithm>

namespace orasent {

void ReaderModel::setDocumentLanguages(const Document& document, const QVector<qsizetype>& starts) {
    ++m_documentNumber;
    m_languages.clear();
    const qsizetype count = std::min<qsizetype>(document.paragraphs.size(), starts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString language = document.languageOf(int(i));
        if (m_languages.isEmpty() || m_languages.last().language != language)
            m_languages.append({starts.at(i), language});
    }
}

QString ReaderModel::languageAt(double position) const {
    if (m_languages.isEmpty() || !(position >= 1))
        return {};
    qsizetype offset = qsizetype(std::min<double>(nearestInt(position), double(BookText.size())));
    offset = std::max<qsizetype>(offset - 1, 0);
    while (offset < BookText.size() && BookText.at(offset).isSpace())
        ++offset;
    const auto after =
        std::upper_bound(m_languages.cbegin(), m_languages.cend(), offset,
                         [](qsizetype value, const LanguageRun& run) { return value < run.start; });
    return after == m_languages.cbegin() ? m_languages.first().language
                                         : std::prev(after)->language;
}

void ReaderModel::handOverSentence(double position) {
    const QString language = readInDocumentLanguage ? languageAt(position) : QString();
    if (language.isEmpty())
        m_port.handOver(m_port.sentenceText());
    else
        m_port.handOverInLanguage(m_port.sentenceText(), language, m_documentNumber);
}

} // namespace orasent
