#pragma once
// What a listener's player shows of an exported book: title, author, language, the program and
// voice, the track number of a chapter file, the cover, and the chapters with their times. Written
// into a finished audio file by TagLib; a WAV file's chapters go into a cue sheet beside it.
#include "export/ExportFormats.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace orasent {

struct BookTags {
    QString title;
    QString author;
    QString language;  // BCP 47
    QString encodedBy; // "Orasent (voice name)"
    int track = 0;     // 1-based for one file of a book split by chapters; 0 otherwise
    int trackCount = 0;
    QString album;        // the book's title when the file is one chapter of it
    QByteArray coverJpeg; // empty: no picture
};

struct ChapterMark {
    QString title;
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// Tags and chapters into the file at `path` (written as `format`, whatever its name). False with
// `error` set when TagLib cannot save them.
bool writeAudioTags(const QString& path, AudioFileFormat format, const BookTags& tags,
                    const QVector<ChapterMark>& chapters, QString* error);

// A cue sheet for `audioFileName` (a name in the same folder): one track per chapter.
QByteArray cueSheet(const QString& audioFileName, const BookTags& tags,
                    const QVector<ChapterMark>& chapters);

// "00:01:02.345", as the CHAPTERnnn comments give times.
QString chapterTimestamp(qint64 ms);

} // namespace orasent
