// The language each sentence is handed over in: that of the paragraph its first word lies in.
#include "common/Numbers.h"
#include "reader/ReaderModel.h"

#include <QFileInfo>
#include <algorithm>

namespace orasent {

void ReaderModel::setDocumentLanguages(const Document& document, const QVector<qsizetype>& starts) {
    ++m_documentNumber;
    setLoadedDocument(std::make_shared<const LoadedDocument>(
        QFileInfo(m_fileName).absoluteFilePath(), m_bookText, document, starts));
}

void ReaderModel::setLoadedDocument(std::shared_ptr<const LoadedDocument> loaded) {
    m_loaded = std::move(loaded);
    emit documentChanged();
}

QString ReaderModel::languageAt(double position) const {
    if (!(position >= 1))
        return {};
    qsizetype offset = qsizetype(std::min<double>(nearestInt(position), double(m_bookText.size())));
    offset = std::max<qsizetype>(offset - 1, 0);
    while (offset < m_bookText.size() && m_bookText.at(offset).isSpace())
        ++offset;
    return m_loaded->languageAt(offset);
}

void ReaderModel::handOverSentence(double position) {
    const QString language = m_readInDocumentLanguage ? languageAt(position) : QString();
    if (language.isEmpty())
        m_port.handOver(m_sentence);
    else
        m_port.handOverInLanguage(m_sentence, language, m_documentNumber);
}

// Only for the chosen voice: a language's voice is chosen (and announced) at the hand-over.
void ReaderModel::prepareNextSentence() {
    if (m_readInDocumentLanguage && !languageAt(m_nextPos).isEmpty())
        return;
    if (const std::optional<SentenceCut> next = cutSentenceAtNextPos())
        m_port.prepareHandOver(next->text);
}

void ReaderModel::showSentence(const QString& text) {
    m_sentence = text;
    m_port.setSentenceText(text);
}

} // namespace orasent
