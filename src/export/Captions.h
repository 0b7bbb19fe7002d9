#pragma once
// Caption files for an exported audio file: SRT, WebVTT with word timing tags, and LRC.
#include "export/ExportFormats.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace orasent {

struct CaptionWord {
    qsizetype offset = 0; // where the word starts in the cue's text
    qint64 ms = 0;        // when it is heard
};

struct Cue {
    qint64 startMs = 0;
    qint64 endMs = 0;
    QString text; // as the reader shows it; may hold line breaks
    QVector<CaptionWord> words;
};

// "01:02:03,456" (SRT) or "01:02:03.456" (WebVTT); hours grow past two digits when needed.
QString captionTimestamp(qint64 ms, QChar fractionSeparator);

// UTF-8 files, LF line ends. WebVTT cues carry a <timestamp> tag before each word after the
// first (the tags must lie strictly inside the cue and increase); LRC has one line per cue with
// line breaks as blanks and a final empty line at the end of the last cue.
QByteArray formatSrt(const QVector<Cue>& cues);
QByteArray formatVtt(const QVector<Cue>& cues);
QByteArray formatLrc(const QVector<Cue>& cues);
QByteArray formatCaptions(CaptionFormat format, const QVector<Cue>& cues);

} // namespace orasent
