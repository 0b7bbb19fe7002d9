#include "speech/TextEdits.h"

#include <algorithm>

namespace orasent {

void TextEdits::add(qsizetype position, qsizetype removed, qsizetype inserted) {
    if (removed == 0 && inserted == 0)
        return;
    m_edits.push_back({position, removed, inserted});
}

void TextEdits::append(const TextEdits& later) {
    m_edits.insert(m_edits.end(), later.m_edits.begin(), later.m_edits.end());
}

std::pair<qsizetype, qsizetype> TextEdits::originalSpan(qsizetype start, qsizetype length) const {
    qsizetype begin = start;
    qsizetype end = start + std::max<qsizetype>(0, length);
    // Undo the edits from the last one back: each maps positions of its result to its input.
    for (auto it = m_edits.rbegin(); it != m_edits.rend(); ++it) {
        const qsizetype insertedEnd = it->position + it->inserted;
        const qsizetype shift = it->removed - it->inserted;
        if (begin >= insertedEnd)
            begin += shift;
        else if (begin > it->position)
            begin = it->position;
        // A span that ends where text was only removed does not take in the removed text.
        if (end > insertedEnd || (end == insertedEnd && it->inserted > 0))
            end += shift;
        else if (end > it->position)
            end = it->position + it->removed;
    }
    return {begin, std::max<qsizetype>(0, end - begin)};
}

QString plainTextBoxForm(const QString& text, TextEdits* edits) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n') {
            if (edits)
                edits->add(out.size(), 2, 1);
            out.append(u'\n');
            ++i;
        } else if (ch == u'\r' || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator) {
            if (edits)
                edits->add(out.size(), 1, 1);
            out.append(u'\n');
        } else if (ch == QChar::Nbsp) {
            if (edits)
                edits->add(out.size(), 1, 1);
            out.append(u' ');
        } else {
            out.append(ch);
        }
    }
    return out;
}

} // namespace orasent
