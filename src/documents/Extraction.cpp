#include "documents/Extraction.h"

#include <algorithm>

namespace orasent {

namespace {
constexpr unsigned kTicksPerCancelCheck = 4096;
constexpr char16_t kSoftHyphen = 0x00AD; // an invisible break hint, never spoken
} // namespace

ParagraphCollector::ParagraphCollector(const LoadProgress& progress, qsizetype maxChars)
    : m_progress(progress), m_maxChars(maxChars) {}

void ParagraphCollector::append(QStringView text) {
    if (stopped() || text.isEmpty())
        return;
    if (m_total + text.size() > m_maxChars) {
        m_overLimit = true;
        return;
    }
    m_total += text.size();
    if (!text.contains(QChar(kSoftHyphen))) {
        m_current.text += text;
        return;
    }
    for (QChar c : text)
        if (c != QChar(kSoftHyphen))
            m_current.text += c;
}

void ParagraphCollector::appendUtf8(const char* text, qsizetype size) {
    if (size > 0)
        append(QString::fromUtf8(text, size));
}

void ParagraphCollector::appendBlank() {
    if (!m_current.text.isEmpty() && !m_current.text.back().isSpace())
        append(u" ");
}

void ParagraphCollector::endParagraph() {
    for (QChar c : std::as_const(m_current.text)) {
        if (!c.isSpace()) {
            m_paragraphs.append(m_current);
            break;
        }
    }
    m_current = Paragraph();
}

bool ParagraphCollector::paragraphBlank() const {
    for (QChar c : m_current.text)
        if (!c.isSpace())
            return false;
    return true;
}

QVector<int> ParagraphCollector::gatherNotes(int from, const QString& sourceId) {
    endParagraph();
    from = qBound(0, from, int(m_paragraphs.size()));
    const int count = int(m_paragraphs.size());
    int notes = 0;
    for (int i = from; i < count; ++i)
        notes += m_paragraphs.at(i).kind == Paragraph::Kind::Note ? 1 : 0;
    if (notes == 0)
        return {};
    // Body paragraphs keep their order; the label, then the notes, follow them.
    QVector<int> moved(count - from);
    int nextBody = from;
    int nextNote = count - notes + 1;
    for (int i = from; i < count; ++i)
        moved[i - from] =
            m_paragraphs.at(i).kind == Paragraph::Kind::Note ? nextNote++ : nextBody++;
    QVector<Paragraph> reordered(count + 1 - from);
    for (int i = from; i < count; ++i)
        reordered[moved[i - from] - from] = std::move(m_paragraphs[i]);
    reordered[count - notes - from] =
        Paragraph{QStringLiteral("Notes"), Paragraph::Kind::Note, 0, {}, sourceId};
    m_paragraphs.resize(from);
    m_paragraphs += reordered;
    return moved;
}

void ParagraphCollector::setParagraphKind(Paragraph::Kind kind, int level) {
    m_current.kind = kind;
    m_current.level = level;
}

void ParagraphCollector::setParagraphLanguage(const QString& language) {
    m_current.language = language;
}

void ParagraphCollector::setParagraphSourceId(const QString& sourceId) {
    m_current.sourceId = sourceId;
}

bool ParagraphCollector::tick() {
    if (++m_ticks % kTicksPerCancelCheck == 0 && m_progress.cancelled && m_progress.cancelled())
        m_cancelled = true;
    return !stopped();
}

bool ParagraphCollector::cancelRequested() {
    if (m_progress.cancelled && m_progress.cancelled())
        m_cancelled = true;
    return m_cancelled;
}

ParagraphCollector::Mark ParagraphCollector::mark() {
    endParagraph();
    return {m_paragraphs.size(), m_total};
}

void ParagraphCollector::handOverFinished() {
    endParagraph();
    if (!m_progress.arrived || stopped() || m_paragraphs.size() == m_handedOver)
        return;
    m_progress.arrived(m_paragraphs.mid(m_handedOver));
    m_handedOver = m_paragraphs.size();
}

void ParagraphCollector::rollback(const Mark& mark) {
    while (m_paragraphs.size() > std::max(mark.paragraphs, m_handedOver))
        m_paragraphs.removeLast();
    m_current = Paragraph();
    m_total = mark.total;
    m_overLimit = false;
}

Extraction ParagraphCollector::finish(Extraction::Status status) {
    endParagraph();
    Extraction result;
    result.status = m_cancelled   ? Extraction::Status::Cancelled
                    : m_overLimit ? Extraction::Status::TextLimit
                                  : status;
    result.paragraphs = std::move(m_paragraphs);
    return result;
}

} // namespace orasent
