#pragma once
// An e-book's own contents: the EPUB 3 navigation document's "toc" list or the EPUB 2 NCX, each
// entry with its title, its depth and the archive path (with #fragment) it points to.
#include "documents/Document.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QVector>

namespace orasent {

struct ContentsTarget {
    QString title;
    int level = 1;
    QString target; // "OEBPS/chapter1.xhtml#section2"
};

// `path` is the part's own path in the archive, against which its links are resolved. Parts
// that are not well-formed give what was read before the fault.
QVector<ContentsTarget> readNavContents(const QByteArray& bytes, const QString& path);
QVector<ContentsTarget> readNcxContents(const QByteArray& bytes, const QString& path);

// Entries whose target was read: its paragraph from `anchors` ("path#id" or "path"); entries
// pointing outside the book or past its paragraphs are left out.
QVector<ContentsEntry> mapContents(const QVector<ContentsTarget>& targets,
                                   const QHash<QString, int>& anchors, int paragraphCount);

} // namespace orasent
