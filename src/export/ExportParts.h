#pragma once
// What an export wrote, file by file: the chapters each holds, the times of its sentences and
// its captions. Times are in milliseconds from the start of the file.
#include "export/AudioTags.h"
#include "export/Captions.h"

#include <QString>
#include <QVector>

namespace orasent {

struct SentenceTiming {
    int sentence = 0; // index into the export's sentences
    qint64 beginMs = 0;
    qint64 endMs = 0; // where the next sentence begins, or the end of the file
};

struct ExportPart {
    int chapter = 0;   // the first chapter it holds (index into the export's chapters)
    QString audioPath; // where it is once committed
    qint64 durationMs = 0;
    QVector<ChapterMark> marks;
    QVector<SentenceTiming> timings;
    QVector<Cue> cues;
};

} // namespace orasent
