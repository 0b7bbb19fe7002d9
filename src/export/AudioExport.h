#pragma once
// Reads a text into an audio file, sentence by sentence as the reader cuts them and each one as
// Talk would speak it, as fast as espeak-ng can and without playing it; captions are timed from
// the engine's word events. run() blocks: call it off the GUI thread.
//
// espeak-ng is reached only through the engine's one synthesis thread, so the live voice and an
// export never call it at once: the export hands it a few sentences at a time (four queued
// ahead of the one being encoded) and a live Speak queues behind those, waiting some tens of
// milliseconds at most. The export's jobs are not paced to a device.
#include "export/Captions.h"
#include "export/ExportFormats.h"

#include <QString>
#include <atomic>
#include <functional>
#include <mutex>

namespace orasent {

struct ExportRequest {
    QString text;            // the whole text (BookText)
    QString inputPath;       // the file it came from, never overwritten; may be empty
    double fromPosition = 1; // 1-based character position where the export starts
    int fromSentence = 1;    // 1-based, counted from fromPosition
    QString outputPath;
    AudioFileFormat format = AudioFileFormat::Wav;
    CaptionFormat captions = CaptionFormat::None;
    QString voiceIdentifier; // espeak-ng's; empty: the first voice
    int rate = 0;            // -10 .. 10
    int volume = 100;        // 0 .. 100
    QString replacementList;
};

struct ExportProgress {
    int sentencesDone = 0;
    int sentencesTotal = 0;
    double secondsLeft = -1; // -1 until it can be told
};

struct ExportResult {
    enum class Status { Done, Failed, Cancelled };
    Status status = Status::Failed;
    QString error; // Failed: one sentence for the user
    QString audioPath;
    QString captionPath; // empty without captions
    int sentences = 0;
    int cues = 0;
    qint64 frames = 0;
    int sampleRate = 0;
    double audioSeconds() const { return sampleRate > 0 ? double(frames) / sampleRate : 0; }
};

class AudioExport {
public:
    // The silence between two sentences.
    static constexpr int kSentenceGapMs = 400;

    using ProgressFn = std::function<void(const ExportProgress&)>;

    explicit AudioExport(ExportRequest request);
    ~AudioExport();
    AudioExport(const AudioExport&) = delete;
    AudioExport& operator=(const AudioExport&) = delete;

    // Called on run()'s thread after every sentence.
    ExportResult run(const ProgressFn& progress = {});
    // From any thread: run() stops soon and leaves no file.
    void cancel();

    // The request's faults that need no synthesis, as a message; empty when there are none.
    static QString checkRequest(const ExportRequest& request);

private:
    struct Session;
    enum class Pumped { Done, Failed, Cancelled };
    Pumped pump(Session& session, const ProgressFn& progress, QString* error);
    bool cutSentences(Session& session, QString* error) const;
    bool finishFiles(Session& session, ExportResult* result);
    void setSession(Session* session);

    ExportRequest m_request;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_sessionMutex;
    Session* m_session = nullptr;
};

} // namespace orasent
