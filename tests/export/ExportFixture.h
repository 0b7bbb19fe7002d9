#pragma once
// Helpers for the export tests: a short text, the engine's own stream length for it, and the
// cues of a caption file read back.
#include "engine/EspeakVoice.h"
#include "engine/SynthesisWorker.h"
#include "export/AudioExport.h"
#include "export/ExportText.h"

#include <QFile>
#include <QRegularExpression>
#include <QVector>
#include <future>

namespace orasent::test {

inline const QString kShortText =
    QStringLiteral("Hello there. This is a test of the export. The end is near. Last words");
constexpr int kShortSentences = 4;

// Frames the synthesis thread makes for `text`, sentence by sentence as the export speaks it,
// at `sampleRate`, plus the export's gaps between sentences.
inline qint64 engineStreamFrames(const QString& text, int sampleRate) {
    const auto sentences = cutExportSentences(text);
    qint64 frames = 0;
    int stream = 0;
    for (const SentenceSpan& s : sentences) {
        std::promise<qint64> total;
        SynthesisJob job;
        static int owner;
        job.owner = &owner;
        job.stream = ++stream;
        job.text = prepareForSpeaking(text.mid(s.start, s.length), QString()).spoken;
        job.xml = true;
        job.voiceIdentifier = espeakVoiceTokens().value(0).Id();
        job.format = speechAudioFormat(sampleRate == 48000 ? 38 : 22);
        job.paced = false;
        job.deliver = [&total](StreamChunk chunk) {
            if (chunk.last)
                total.set_value(chunk.totalFrames);
        };
        std::future<qint64> done = total.get_future();
        SynthesisWorker::instance().submit(std::move(job));
        frames += done.get();
    }
    return frames + qint64(sampleRate) * AudioExport::kSentenceGapMs / 1000 * (stream - 1);
}

struct ReadCue {
    qint64 startMs = 0;
    qint64 endMs = 0;
};

inline qint64 toMs(const QString& h, const QString& m, const QString& s, const QString& f) {
    const qint64 fraction = f.size() == 2 ? f.toLongLong() * 10 : f.toLongLong();
    return ((h.toLongLong() * 60 + m.toLongLong()) * 60 + s.toLongLong()) * 1000 + fraction;
}

// The cues of an SRT or WebVTT file (start --> end lines), or of an LRC file (a line's time is
// its cue's start; the next line's is its end).
inline QVector<ReadCue> readCues(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromUtf8(file.readAll());
    QVector<ReadCue> cues;
    static const QRegularExpression range(
        QStringLiteral(R"((\d+):(\d\d):(\d\d)[,.](\d{3}) --> (\d+):(\d\d):(\d\d)[,.](\d{3}))"));
    for (auto it = range.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        cues.append({toMs(m.captured(1), m.captured(2), m.captured(3), m.captured(4)),
                     toMs(m.captured(5), m.captured(6), m.captured(7), m.captured(8))});
    }
    static const QRegularExpression lrc(QStringLiteral(R"(^\[(\d+):(\d\d)\.(\d\d)\])"),
                                        QRegularExpression::MultilineOption);
    QVector<qint64> lines;
    for (auto it = lrc.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        lines.append(toMs(QStringLiteral("0"), m.captured(1), m.captured(2), m.captured(3)));
    }
    for (int i = 0; i + 1 < lines.size(); ++i)
        cues.append({lines[i], lines[i + 1]});
    return cues;
}

} // namespace orasent::test
