#include "documents/NotePlacement.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace orasent {

namespace {
constexpr int kLevels = 6;

int headingLevel(const Paragraph& p) {
    return p.kind == Paragraph::Kind::Heading ? std::clamp(p.level, 1, kLevels) : 0;
}

// For each paragraph, where the notes of a reference in it go: before the first heading after
// it whose level is at or above that of the heading its chapter starts with; without a heading
// before it, at the end.
std::vector<int> chapterEnds(const QVector<Paragraph>& paragraphs) {
    const int n = int(paragraphs.size());
    std::vector<int> chapterLevel(size_t(n), 0);
    for (int i = 0, level = 0; i < n; ++i) {
        if (const int own = headingLevel(paragraphs[i]))
            level = own;
        chapterLevel[size_t(i)] = level;
    }
    std::vector<int> ends(size_t(n), n);
    std::array<int, kLevels + 1> nextAtOrAbove; // by level: the next such heading after i
    nextAtOrAbove.fill(n);
    for (int i = n - 1; i >= 0; --i) {
        if (const int level = chapterLevel[size_t(i)])
            ends[size_t(i)] = nextAtOrAbove[size_t(level)];
        if (const int own = headingLevel(paragraphs[i]))
            for (int l = own; l <= kLevels; ++l)
                nextAtOrAbove[size_t(l)] = i;
    }
    return ends;
}

Paragraph notesHeading() {
    Paragraph notes;
    notes.text = QStringLiteral("Notes");
    notes.kind = Paragraph::Kind::Note;
    return notes;
}
} // namespace

QVector<Paragraph> withNotesAtChapterEnds(const QVector<Paragraph>& paragraphs,
                                          const QVector<PlacedNote>& notes) {
    const std::vector<int> ends = chapterEnds(paragraphs);
    std::map<int, QVector<Paragraph>> groups; // by the paragraph they go before
    for (const PlacedNote& note : notes) {
        const int at = std::clamp(note.paragraph, 0, int(paragraphs.size()));
        const int end = at < int(ends.size()) ? ends[size_t(at)] : int(paragraphs.size());
        QVector<Paragraph>& group = groups[end];
        for (Paragraph body : note.body) {
            body.kind = Paragraph::Kind::Note;
            body.level = 0;
            group.append(body);
        }
    }
    QVector<Paragraph> out;
    out.reserve(paragraphs.size() + qsizetype(groups.size()) + notes.size());
    auto group = groups.begin();
    for (int i = 0; i <= paragraphs.size(); ++i) {
        if (group != groups.end() && group->first == i) {
            if (!group->second.isEmpty()) {
                out.append(notesHeading());
                out.append(group->second);
            }
            ++group;
        }
        if (i < paragraphs.size())
            out.append(paragraphs[i]);
    }
    return out;
}

} // namespace orasent
