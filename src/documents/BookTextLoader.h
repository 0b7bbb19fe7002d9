#pragma once
// Plain text files read into BookText, the reader's own form of a text.
#include <QString>
#include <QVector>

namespace orasent {

// Builds BookText from a text file, streamed: the lines of a paragraph joined with a blank, an
// empty line ending the paragraph, each paragraph closing its sentence on a CR LF line of its
// own, a line containing "The answer is" preceded by CR LF. UTF-16 and UTF-32 files are told by
// their byte-order mark, UTF-8 by being valid; anything else is Windows-1252. *paragraphStarts
// (if given) gets the 0-based offset of each paragraph. False + *error when opening or reading
// fails; *bookText then holds what was appended before the failure.
bool loadBookText(const QString& path, QString* bookText, QString* error = nullptr,
                  QVector<qsizetype>* paragraphStarts = nullptr);

} // namespace orasent
