#pragma once
// What the reader knows of the loaded document beside BookText: its title and author, and which
// chapter a reading position lies in.
#include "documents/DocumentLoader.h"

#include <QHash>
#include <QMutex>
#include <QString>
#include <functional>
#include <optional>

namespace orasent {

struct DocumentOutline {
    QString path;
    DocumentMetadata metadata;
    QVector<ContentsEntry> contents;
    QVector<qsizetype> paragraphStarts; // 0-based offsets into BookText

    struct Chapter {
        QString title;
        double end = 0; // 1-based BookText position where the next chapter begins; 0: text end
    };
    // The chapter that 1-based BookText position `position` lies in; nothing when the contents
    // give none there.
    std::optional<Chapter> chapterAt(double position) const;
};

// Keeps the outline of each document as it is loaded (safe to call from the loading thread).
class OutlineRecorder {
public:
    using Loader = std::function<DocumentLoad(const QString&, const LoadProgress&)>;
    // `loader` with every successful load recorded.
    Loader recording(Loader loader);
    void record(const QString& path, const DocumentLoad& load);
    // The outline of `path` as last loaded; only the path when it was not loaded.
    DocumentOutline outlineOf(const QString& path) const;

private:
    mutable QMutex m_mutex;
    QHash<QString, DocumentOutline> m_outlines;
};

} // namespace orasent
