#include "export/AudioExport.h"

#include "engine/EspeakVoice.h"
#include "engine/SynthesisWorker.h"
#include "export/AudioFileWriter.h"
#include "export/ExportText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace orasent {

namespace {

// Sentences handed to the synthesis thread ahead of the one being encoded.
constexpr int kSentencesInFlight = 4;
// The synthesis waits while this much audio is queued for the encoder (bytes).
constexpr qint64 kMaxQueuedBytes = 8 * 1024 * 1024;
// Samples at or below this level (of 32768, at full volume) count as the silence around words.
constexpr int kSilenceLevel = 64;

// Audio handed from the synthesis thread to run()'s thread.
class ChunkQueue {
public:
    void push(StreamChunk chunk) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [&] { return m_stopped || m_bytes < kMaxQueuedBytes; });
        if (m_stopped)
            return;
        m_bytes += chunk.pcm.size();
        m_chunks.push_back(std::move(chunk));
        m_wake.notify_all();
    }
    // False once stopped.
    bool pop(StreamChunk* chunk) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.wait(lock, [&] { return m_stopped || !m_chunks.empty(); });
        if (m_stopped)
            return false;
        *chunk = std::move(m_chunks.front());
        m_chunks.pop_front();
        m_bytes -= chunk->pcm.size();
        m_wake.notify_all();
        return true;
    }
    void stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_wake.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<StreamChunk> m_chunks;
    qint64 m_bytes = 0;
    bool m_stopped = false;
};

bool samePath(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo fa(a), fb(b);
    if (fa.exists() && fb.exists())
        return fa.canonicalFilePath() == fb.canonicalFilePath();
    return QDir::cleanPath(fa.absoluteFilePath()) == QDir::cleanPath(fb.absoluteFilePath());
}

QString folderProblem(const QString& path) {
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return QStringLiteral("The folder \"%1\" does not exist.").arg(folder.filePath());
    if (!folder.isWritable())
        return QStringLiteral("The folder \"%1\" cannot be written to.").arg(folder.filePath());
    return {};
}

} // namespace

// One run: the sentences, what is in flight, the files and the cues.
struct AudioExport::Session {
    const ExportRequest& request;
    const std::atomic<bool>& cancelled;
    QVector<SentenceSpan> sentences;
    ChunkQueue queue;
    AudioFileWriter audio;
    QVector<Cue> cues;
    qint64 gapFrames = 0;
    qint64 threshold = kSilenceLevel;

    struct InFlight {
        int sentence = 0;
        int stream = 0;
        PreparedSentence prepared;
    };
    std::deque<InFlight> inFlight;
    int nextSentence = 0;
    int lastStream = 0;

    // The sentence being written.
    qint64 base = 0;       // its first frame in the file
    qint64 written = 0;    // its frames so far
    qint64 lastSound = -1; // its last frame above the silence level
    bool gapWritten = false;
    QVector<qsizetype> wordOffsets;
    QVector<qint64> wordFrames;

    Session(const ExportRequest& r, const std::atomic<bool>& c)
        : request(r), cancelled(c), audio(r.outputPath, r.format) {
        gapFrames = qint64(audio.sampleRate()) * kSentenceGapMs / 1000;
        threshold = qMax<qint64>(1, qint64(kSilenceLevel * r.volume / 100));
    }

    QString sentenceText(int index) const {
        const SentenceSpan& s = sentences[index];
        return request.text.mid(s.start, s.length);
    }
    bool submitNext();
    bool take(const StreamChunk& chunk, QString* error);
    void finishSentence();
};

bool AudioExport::Session::submitNext() {
    while (nextSentence < sentences.size()) {
        const int index = nextSentence++;
        PreparedSentence prepared =
            prepareForSpeaking(sentenceText(index), request.replacementList);
        if (prepared.spoken.trimmed().isEmpty())
            continue; // nothing to hear: no cue, no gap
        SynthesisJob job;
        job.owner = this;
        job.stream = ++lastStream;
        job.text = prepared.spoken;
        job.xml = true; // Talk speaks with the XML flag: markup is read as markup
        job.voiceIdentifier = request.voiceIdentifier;
        job.wordsPerMinute = EspeakVoice::wordsPerMinute(request.rate);
        job.gain = qBound(0, request.volume, 100) / 100.0;
        job.format = speechAudioFormat(audioFormatSampleRate(request.format) == 48000 ? 38 : 22);
        job.paced = false;
        ChunkQueue* target = &queue;
        job.deliver = [target](StreamChunk chunk) { target->push(std::move(chunk)); };
        inFlight.push_back(InFlight{index, job.stream, std::move(prepared)});
        SynthesisWorker::instance().submit(std::move(job));
        return true;
    }
    return false;
}

bool AudioExport::Session::take(const StreamChunk& chunk, QString* error) {
    const InFlight& current = inFlight.front();
    if (!gapWritten && base > 0) {
        if (!audio.writeSilence(gapFrames)) {
            *error = audio.errorString();
            return false;
        }
        base += gapFrames;
    }
    gapWritten = true;
    for (const TimedEvent& e : chunk.events) {
        if (e.kind != TimedEvent::Word)
            continue;
        wordOffsets.append(current.prepared.edits.originalSpan(e.pos, e.length).first);
        wordFrames.append(e.frame);
    }
    const auto* samples = reinterpret_cast<const qint16*>(chunk.pcm.constData());
    const qint64 count = chunk.pcm.size() / 2;
    for (qint64 i = count - 1; i >= 0; --i) {
        if (qAbs(samples[i]) > threshold) {
            lastSound = written + i;
            break;
        }
    }
    if (!audio.write(samples, count)) {
        *error = audio.errorString();
        return false;
    }
    written += count;
    if (!chunk.error.isEmpty()) {
        *error = chunk.error;
        return false;
    }
    return true;
}

void AudioExport::Session::finishSentence() {
    const InFlight current = std::move(inFlight.front());
    inFlight.pop_front();
    const int rate = audio.sampleRate();
    const qint64 end = lastSound >= 0 ? lastSound + 1 : written;
    if (request.captions != CaptionFormat::None && (!wordFrames.isEmpty() || lastSound >= 0)) {
        // Word offsets must ascend for the mapping onto the caption text.
        for (int i = 1; i < wordOffsets.size(); ++i)
            wordOffsets[i] = qMax(wordOffsets[i], wordOffsets[i - 1]);
        Cue cue;
        cue.text = captionText(sentenceText(current.sentence), &wordOffsets);
        const qint64 first = wordFrames.isEmpty() ? 0 : qMin(wordFrames.first(), end - 1);
        cue.startMs = (base + first) * 1000 / rate;
        cue.endMs = qMax(cue.startMs + 1, (base + end) * 1000 / rate);
        for (int i = 0; i < wordFrames.size(); ++i)
            cue.words.append(CaptionWord{wordOffsets[i], (base + wordFrames[i]) * 1000 / rate});
        cues.append(std::move(cue));
    }
    base += written;
    written = 0;
    lastSound = -1;
    gapWritten = false;
    wordOffsets.clear();
    wordFrames.clear();
}

AudioExport::AudioExport(ExportRequest request) : m_request(std::move(request)) {}

AudioExport::~AudioExport() = default;

void AudioExport::cancel() {
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    if (m_session)
        m_session->queue.stop();
}

void AudioExport::setSession(Session* session) {
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    m_session = session;
    if (session && m_cancelled)
        session->queue.stop();
}

QString AudioExport::checkRequest(const ExportRequest& request) {
    if (request.text.trimmed().isEmpty())
        return QStringLiteral("The text is empty: there is nothing to export.");
    if (request.outputPath.isEmpty())
        return QStringLiteral("No output file was given.");
    if (samePath(request.outputPath, request.inputPath))
        return QStringLiteral("The audio file would replace the text being exported. Choose "
                              "another name.");
    const QString captions = captionPathFor(request.outputPath, request.captions);
    if (samePath(captions, request.outputPath))
        return QStringLiteral("The captions would have the audio file's name. Choose another "
                              "name or other captions.");
    if (samePath(captions, request.inputPath))
        return QStringLiteral("The captions would replace the text being exported. Choose "
                              "another name.");
    if (QFileInfo(request.outputPath).isDir())
        return QStringLiteral("\"%1\" is a folder.").arg(request.outputPath);
    if (!(request.fromSentence >= 1))
        return QStringLiteral("The sentence to start from must be 1 or more.");
    return folderProblem(request.outputPath);
}

bool AudioExport::cutSentences(Session& session, QString* error) const {
    session.sentences = cutExportSentences(m_request.text, m_request.fromPosition);
    const int skip = m_request.fromSentence - 1;
    if (skip >= session.sentences.size()) {
        *error =
            m_request.fromSentence == 1
                ? QStringLiteral("There is nothing to export after that place in the text.")
                : QStringLiteral("The text has only %1 sentences.").arg(session.sentences.size());
        return false;
    }
    session.sentences.remove(0, skip);
    return true;
}

AudioExport::Pumped AudioExport::pump(Session& session, const ProgressFn& progress,
                                      QString* error) {
    QElapsedTimer clock;
    clock.start();
    const qsizetype firstChar = session.sentences.first().start;
    const double totalChars = double(m_request.text.size() - firstChar);
    for (int i = 0; i < kSentencesInFlight; ++i)
        session.submitNext();
    while (!session.inFlight.empty()) {
        StreamChunk chunk;
        if (!session.queue.pop(&chunk) || m_cancelled)
            return Pumped::Cancelled;
        if (chunk.stream != session.inFlight.front().stream)
            continue;
        if (!session.take(chunk, error))
            return Pumped::Failed;
        if (!chunk.last)
            continue;
        const SentenceSpan done = session.sentences[session.inFlight.front().sentence];
        session.finishSentence();
        session.submitNext();
        if (progress) {
            const double doneChars = double(done.start + done.length - firstChar);
            ExportProgress p;
            p.sentencesDone = session.inFlight.empty() ? int(session.sentences.size())
                                                       : session.inFlight.front().sentence;
            p.sentencesTotal = int(session.sentences.size());
            if (doneChars > 0 && clock.elapsed() > 500)
                p.secondsLeft = clock.elapsed() / 1000.0 * (totalChars - doneChars) / doneChars;
            progress(p);
        }
    }
    return Pumped::Done;
}

bool AudioExport::finishFiles(Session& session, ExportResult* result) {
    std::unique_ptr<AtomicFileStream> captions;
    if (m_request.captions != CaptionFormat::None) {
        result->captionPath = captionPathFor(m_request.outputPath, m_request.captions);
        captions = std::make_unique<AtomicFileStream>(result->captionPath);
        if (!captions->write(formatCaptions(m_request.captions, session.cues)) ||
            !captions->finish()) {
            result->error = captions->errorString();
            return false;
        }
    }
    if (!session.audio.commit()) {
        result->error = session.audio.errorString();
        return false;
    }
    if (captions && !captions->commit()) {
        result->error = captions->errorString();
        return false;
    }
    result->cues = int(session.cues.size());
    return true;
}

ExportResult AudioExport::run(const ProgressFn& progress) {
    ExportResult result;
    result.audioPath = m_request.outputPath;
    result.error = checkRequest(m_request);
    if (!result.error.isEmpty())
        return result;
    SynthesisWorker& worker = SynthesisWorker::instance();
    if (!worker.isReady()) {
        result.error = QStringLiteral("The speech engine espeak-ng could not start.");
        return result;
    }
    if (m_request.voiceIdentifier.isEmpty())
        m_request.voiceIdentifier = espeakVoiceTokens().value(0).Id();
    Session session(m_request, m_cancelled);
    if (!cutSentences(session, &result.error))
        return result;
    if (!session.audio.isOpen()) {
        result.error = session.audio.errorString();
        return result;
    }
    setSession(&session);
    const Pumped pumped = pump(session, progress, &result.error);
    setSession(nullptr);
    session.queue.stop();
    worker.forget(&session);               // nothing is delivered to the session after this
    result.sentences = session.lastStream; // the sentences that had something to say
    result.sampleRate = session.audio.sampleRate();
    result.frames = session.audio.framesWritten();
    if (pumped == Pumped::Cancelled) {
        result.status = ExportResult::Status::Cancelled;
        result.error.clear();
    } else if (pumped == Pumped::Done && finishFiles(session, &result)) {
        result.status = ExportResult::Status::Done;
    }
    return result;
}

} // namespace orasent
