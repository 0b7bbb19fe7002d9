#pragma once
// Reads a text into an audio book, sentence by sentence as the reader cuts them and each one as
// Talk would speak it, as fast as the slowest stage allows and without playing it: one file with
// chapters and tags, one file per chapter in a folder named after the book, or a read-along
// EPUB. Captions are timed from the engine's word events. run() blocks: call it off the GUI
// thread.
//
// Three stages run at once, joined by bounded queues: the synthesis, the sentence bookkeeping and
// resampling on run()'s thread, and the encoder on a thread of its own. A voice whose engine
// allows it is synthesized on one lane per core, the sentences handed out in turn and written in
// order (ExportLanes); espeak-ng's voices on the engine's one thread. The live voice and an
// export never call espeak-ng at once: the export hands it a few sentences at a time and a live
// Speak queues behind those, waiting some tens of milliseconds at most.
#include "documents/Document.h"
#include "export/Captions.h"
#include "export/ExportFormats.h"
#include "speech/PronunciationRules.h"

#include <QColor>
#include <QMap>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace orasent {

class SynthesisLanes;

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
    // The pronunciation rules (null: none), and whether the book's own lexicons apply.
    std::shared_ptr<const PronunciationRules> pronunciation;
    bool bookLexicons = true;
    ExportQuality quality = ExportQuality::Standard;
    // One file per chapter, "NN Chapter title.ext", in a folder named after the book beside
    // outputPath.
    bool splitChapters = false;
    // The document the text was made from, and where its paragraphs start in the text; empty:
    // run() loads inputPath and takes its document when its text is this one.
    Document document;
    QVector<qsizetype> paragraphStarts;
    QByteArray coverJpeg; // empty: the input document's cover, when it has one
    QString voiceName;    // shown in the tags as "Orasent (voice name)"
    // "Read in the Document's Language": each passage by a voice of its language, chosen as the
    // reader chooses (see PassageVoices); the tags then name every voice used.
    bool readInDocumentLanguage = false;
    QMap<QString, QString> languageVoices; // "LanguageVoices.ini": language key -> voice
    // False: the text, document and cover are all the caller's (the reader's loaded document),
    // and inputPath is never read again.
    bool readInput = true;
    // A read-along book's band under the sentence being heard, and its text colour; invalid: a
    // soft yellow band under the book's own text colour.
    QColor sentenceBand;
    QColor textColour;
    // Threads that synthesize side by side where the voices allow it; 0: one per core.
    int threads = 0;
};

struct ExportProgress {
    int sentencesDone = 0;
    int sentencesTotal = 0;
    double secondsLeft = -1; // -1 until it can be told
    int chapter = 0;         // 1-based, of chapterCount
    int chapterCount = 0;
    QString chapterTitle;
};

struct ExportResult {
    enum class Status { Done, Failed, Cancelled };
    Status status = Status::Failed;
    QString error;       // Failed: one sentence for the user
    QString audioPath;   // the file, or the folder of a split book
    QString captionPath; // empty without captions (for a split book: in its folder)
    int chapters = 0;    // marked in the file, or files written
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

    // With the engines of this process, or with `synthesis`'s.
    explicit AudioExport(ExportRequest request);
    AudioExport(ExportRequest request, SynthesisLanes& synthesis);
    ~AudioExport();
    AudioExport(const AudioExport&) = delete;
    AudioExport& operator=(const AudioExport&) = delete;

    // Called on run()'s thread after every sentence.
    ExportResult run(const ProgressFn& progress = {});
    // From any thread: run() stops soon and leaves no file.
    void cancel();

    // The request's faults that need no synthesis, as a message; empty when there are none.
    static QString checkRequest(const ExportRequest& request);

    // The folder a split book is written into: named after the book, beside outputPath.
    static QString splitFolderFor(const ExportRequest& request);

private:
    struct Session;
    enum class Pumped { Done, Failed, Cancelled };
    Pumped pump(Session& session, const ProgressFn& progress, QString* error);
    bool cutSentences(Session& session, QString* error) const;
    int laneCount(const Session& session) const;
    void completeRequest();
    void setSession(Session* session);

    ExportRequest m_request;
    SynthesisLanes& m_synthesis;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_sessionMutex;
    Session* m_session = nullptr;
};

} // namespace orasent
