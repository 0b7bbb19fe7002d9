// The document's contents and the steps from chapter to chapter. Each step shows and speaks the
// chapter's first sentence as Talk would from there.
#include "reader/ReaderModel.h"

#include <algorithm>

namespace orasent {

namespace {
const QString kNoChapterAfter = QStringLiteral("There is no chapter after this one.");
const QString kNoChapterBefore = QStringLiteral("There is no chapter before this one.");
} // namespace

QString ReaderModel::noChaptersMessage() {
    return QStringLiteral("This document has no chapters.");
}

QVector<ReaderModel::Chapter> ReaderModel::chapters() const {
    QVector<Chapter> list;
    list.reserve(m_loaded->chapters().size());
    for (const LoadedDocument::Chapter& chapter : m_loaded->chapters())
        list.append({chapter.title, chapter.level, chapter.position});
    return list;
}

std::optional<LoadedDocument::Chapter> ReaderModel::chapterAt(double position) const {
    return m_loaded->chapterAt(position);
}

int ReaderModel::currentChapter() const {
    // The chapter that holds the end of the sentence last shown (it may begin with the line
    // break before a heading); before anything is shown, the text before the next sentence.
    const auto chapter = chapterAt(std::max(m_lastPos, m_nextPos - 1));
    return chapter ? chapter->index : -1;
}

void ReaderModel::goToChapter(int index) {
    const QVector<Chapter> list = chapters();
    if (index < 0 || index >= list.size())
        return;
    m_nextPos = list[index].position;
    SayNextSentence();
}

void ReaderModel::nextChapter() {
    stepChapter(true);
}

void ReaderModel::previousChapter() {
    stepChapter(false);
}

void ReaderModel::stepChapter(bool forward) {
    const QVector<Chapter> list = chapters();
    if (list.isEmpty()) {
        m_port.handOver(noChaptersMessage());
        return;
    }
    const int current = currentChapter();
    const double from = current < 0 ? 0 : list[current].position;
    // The nearest chapter that starts after (or before) the current one; the first listed of
    // equals.
    int nearest = -1;
    for (int i = 0; i < list.size(); ++i) {
        const double p = list[i].position;
        if ((forward ? p > from : p < from) &&
            (nearest < 0 || (forward ? p < list[nearest].position : p > list[nearest].position)))
            nearest = i;
    }
    if (nearest < 0) {
        m_port.handOver(forward ? kNoChapterAfter : kNoChapterBefore);
        return;
    }
    goToChapter(nearest);
}

void ReaderModel::startOfDocument() {
    m_nextPos = 1;
    SayNextSentence();
}

} // namespace orasent
