#pragma once
// Where the changes made to a text before it is spoken moved its characters, and the plain text
// box's form of a text.
#include <QString>
#include <QtGlobal>

#include <utility>
#include <vector>

namespace orasent {

// The changes made to a text one after the other, each at a position in the text as the changes
// before it left it. Maps a span of the changed text back to the span of the original it came
// from, so a spoken word can be shown in the text as it was handed over.
class TextEdits {
public:
    struct Edit {
        qsizetype position;
        qsizetype removed;
        qsizetype inserted;
    };

    void add(qsizetype position, qsizetype removed, qsizetype inserted);
    // `later` was made to the text these edits produced.
    void append(const TextEdits& later);
    bool isEmpty() const { return m_edits.empty(); }
    qsizetype size() const { return qsizetype(m_edits.size()); }

    // Start and length in the original of [start, start + length) of the changed text. Inserted
    // text maps to the whole of what it replaced.
    std::pair<qsizetype, qsizetype> originalSpan(qsizetype start, qsizetype length) const;

private:
    std::vector<Edit> m_edits;
};

// `text` as a plain text box holds it: CR LF, a lone CR and the line and paragraph separators
// become LF, a no-break space a blank. The changes go into `edits`.
QString plainTextBoxForm(const QString& text, TextEdits* edits);

} // namespace orasent
