#pragma once
// Books for the audiobook tests, built in code so that their headings are known, and what
// ffprobe reads back from an exported file.
#include "documents/Document.h"
#include "export/AudioExport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

namespace orasent::test {

inline Paragraph paragraph(const QString& text, Paragraph::Kind kind = Paragraph::Kind::Body,
                           int level = 0) {
    Paragraph p;
    p.text = text;
    p.kind = kind;
    p.level = level;
    return p;
}

// The export of `document` to `outputPath`, in the format its name says.
inline ExportRequest documentRequest(const Document& document, const QString& outputPath) {
    const BookTextMap map = bookTextFromDocument(document.paragraphs);
    ExportRequest r;
    r.text = map.bookText;
    r.document = document;
    r.paragraphStarts = map.starts;
    r.outputPath = outputPath;
    r.format = audioFormatFromPath(outputPath).value_or(AudioFileFormat::Wav);
    return r;
}

// A title, then `chapters` chapters, each a level-2 heading "Chapter N" and two short
// sentences.
inline ExportRequest bookRequest(const QString& outputPath, int chapters = 3) {
    Document document;
    document.metadata.title = QStringLiteral("The Test Book");
    document.metadata.author = QStringLiteral("Ann Author");
    document.metadata.language = QStringLiteral("en");
    document.paragraphs.append(
        paragraph(QStringLiteral("The Test Book"), Paragraph::Kind::Heading, 1));
    for (int c = 1; c <= chapters; ++c) {
        document.paragraphs.append(
            paragraph(QStringLiteral("Chapter %1").arg(c), Paragraph::Kind::Heading, 2));
        document.paragraphs.append(
            paragraph(QStringLiteral("The rain fell on day %1. Then the sun came out.").arg(c)));
    }
    document.contents = contentsFromHeadings(document.paragraphs);
    return documentRequest(document, outputPath);
}

inline bool haveProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

// ffprobe's view of a file: format (duration, bit_rate, tags), streams and chapters.
inline QJsonObject probe(const QString& path) {
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"),
                  {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-show_format"),
                   QStringLiteral("-show_streams"), QStringLiteral("-show_chapters"),
                   QStringLiteral("-of"), QStringLiteral("json"), path});
    if (!ffprobe.waitForFinished(60000))
        return {};
    return QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object();
}

// The length of the sound a player decodes (MP3 encoder delay and padding left out).
inline double decodedSeconds(const QString& path) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), path,
                  QStringLiteral("-ac"), QStringLiteral("1"), QStringLiteral("-ar"),
                  QStringLiteral("48000"), QStringLiteral("-f"), QStringLiteral("s16le"),
                  QStringLiteral("-")});
    if (!ffmpeg.waitForFinished(120000))
        return -1;
    return ffmpeg.readAllStandardOutput().size() / 2 / 48000.0;
}

inline QString formatTag(const QJsonObject& probed, const QString& key) {
    const QJsonObject tags =
        probed[QStringLiteral("format")].toObject()[QStringLiteral("tags")].toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    // Ogg keeps its comments on the stream.
    const QJsonObject stream = probed[QStringLiteral("streams")].toArray().at(0).toObject();
    const QJsonObject streamTags = stream[QStringLiteral("tags")].toObject();
    for (auto it = streamTags.begin(); it != streamTags.end(); ++it)
        if (it.key().compare(key, Qt::CaseInsensitive) == 0)
            return it.value().toString();
    return {};
}

inline double probedSeconds(const QJsonObject& probed) {
    return probed[QStringLiteral("format")]
        .toObject()[QStringLiteral("duration")]
        .toString()
        .toDouble();
}

} // namespace orasent::test
