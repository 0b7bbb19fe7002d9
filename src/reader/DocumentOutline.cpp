#include "reader/DocumentOutline.h"

#include <QMutexLocker>

namespace orasent {

std::optional<DocumentOutline::Chapter> DocumentOutline::chapterAt(double position) const {
    std::optional<Chapter> found;
    for (const ContentsEntry& entry : contents) {
        if (entry.paragraph < 0 || entry.paragraph >= paragraphStarts.size())
            continue;
        const double start = double(paragraphStarts.at(entry.paragraph)) + 1;
        if (start <= position) {
            found = Chapter{entry.title, 0};
        } else if (found) {
            found->end = start;
            break;
        }
    }
    return found;
}

OutlineRecorder::Loader OutlineRecorder::recording(Loader loader) {
    return [this, loader = std::move(loader)](const QString& path, const LoadProgress& progress) {
        DocumentLoad load = loader(path, progress);
        record(path, load);
        return load;
    };
}

void OutlineRecorder::record(const QString& path, const DocumentLoad& load) {
    if (load.status == DocumentLoad::Status::Cancelled)
        return;
    DocumentOutline outline;
    outline.path = path;
    if (load.status == DocumentLoad::Status::Loaded) {
        outline.metadata = load.document.metadata;
        outline.contents = load.document.contents;
        outline.paragraphStarts = load.paragraphStarts;
    }
    QMutexLocker lock(&m_mutex);
    m_outlines.insert(path, outline);
}

DocumentOutline OutlineRecorder::outlineOf(const QString& path) const {
    QMutexLocker lock(&m_mutex);
    DocumentOutline outline = m_outlines.value(path);
    outline.path = path;
    return outline;
}

} // namespace orasent
