#include "export/AudioExport.h"

#include "documents/CoverImage.h"
#include "documents/LoadedDocument.h"
#include "engine/EspeakSounds.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/PcmConverter.h"
#include "engine/SynthesisWorker.h"
#include "export/BookPlan.h"
#include "export/EncoderStage.h"
#include "export/ExportOutputs.h"
#include "export/ExportText.h"
#include "export/PassageVoices.h"
#include "speech/PronunciationStore.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace orasent {

namespace {

// Sentences handed to the synthesis thread ahead of the one being written.
constexpr int kSentencesInFlight = 4;
// The synthesis waits while this much audio is queued for the next stage (bytes).
constexpr qint64 kMaxQueuedBytes = 2 * 1024 * 1024;
// Samples at or below this level (of 32768, at full volume) count as the silence around words.
constexpr int kSilenceLevel = 64;
// espeak-ng's own rate: every time of an export is counted in its frames.
constexpr int kRate = PcmConverter::kInputRate;

qint64 toMs(qint64 frames) {
    return frames * 1000 / kRate;
}

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

PassageVoices passageVoices(const ExportRequest& request) {
    PassageVoices voices(request.voiceIdentifier, request.readInDocumentLanguage,
                         request.languageVoices, SynthesisWorker::instance().voices());
    voices.setDocument(request.text, request.document, request.paragraphStarts);
    return voices;
}

// The tags' name of the voices that read the text: the chosen voice's name when it reads all.
QString voicesName(const ExportRequest& request) {
    const qsizetype from = qsizetype(std::max(0.0, request.fromPosition - 1));
    const QStringList used = passageVoices(request).voicesFrom(from);
    if (used == QStringList{request.voiceIdentifier})
        return request.voiceName;
    QStringList names;
    const SpObjectTokens tokens = espeakVoiceTokens();
    for (const QString& id : used) {
        const auto token = std::find_if(tokens.begin(), tokens.end(),
                                        [&](const SpObjectToken& t) { return t.Id() == id; });
        names << (id == request.voiceIdentifier && !request.voiceName.isEmpty() ? request.voiceName
                  : token != tokens.end() ? token->GetDescription()
                                          : id);
    }
    return names.join(QStringLiteral(", "));
}

} // namespace

// One run: the sentences and chapters, what is in flight, the files and their times.
// The rules the export reads with: the user's, and the book's own lexicons with the book's
// language; each passage sets its language and voice (submitNext).
static SpeakingRules exportRules(const ExportRequest& request) {
    SpeakingRules rules;
    rules.user = request.pronunciation;
    const Document& document = request.document;
    if (request.bookLexicons && !document.metadata.lexicons.isEmpty()) {
        QVector<PronunciationRule> book = lexiconRules(document.metadata.lexicons, nullptr);
        if (!book.isEmpty())
            rules.book = std::make_shared<PronunciationRules>(std::move(book));
    }
    rules.context.documentKey = contentKey(request.text);
    rules.context.language = document.metadata.language;
    rules.context.xml = true;
    rules.context.inlineSounds = [](const QString& ipa) { return espeakPhonemeInput(ipa); };
    return rules;
}

struct AudioExport::Session {
    const ExportRequest& request;
    ExportOutputs outputs;
    QVector<SentenceSpan> sentences;
    QVector<int> chapterOf; // per sentence
    ChunkQueue queue;
    EncoderStage encoder;
    std::unique_ptr<PcmConverter> converter; // when the file's rate is not espeak-ng's
    const qint64 gapFrames = qint64(kRate) * kSentenceGapMs / 1000;
    qint64 threshold = kSilenceLevel;
    PassageVoices voices;
    SpeakingRules rules = exportRules(request);

    struct InFlight {
        int sentence = 0;
        int stream = 0;
        PreparedSentence prepared;
    };
    std::deque<InFlight> inFlight;
    int nextSentence = 0;
    int lastStream = 0;
    qint64 totalFrames = 0;

    // The file being written and the sentence in it, in espeak-ng frames.
    int part = -1;
    int chapter = -1;
    qint64 base = 0;       // the sentence's first frame in the file
    qint64 written = 0;    // its frames so far
    qint64 lastSound = -1; // its last frame above the silence level
    bool started = false;
    QVector<qsizetype> wordOffsets;
    QVector<qint64> wordFrames;

    Session(const ExportRequest& r) : request(r), outputs(r), voices(passageVoices(r)) {
        threshold = qMax<qint64>(1, qint64(kSilenceLevel * r.volume / 100));
        paragraphs.starts = r.paragraphStarts;
    }

    BookTextMap paragraphs; // the starts only
    // The language of the paragraph the sentence at `offset` has its first word in.
    QString languageAt(qsizetype offset) const {
        while (offset < request.text.size() && request.text.at(offset).isSpace())
            ++offset;
        return request.document.languageOf(paragraphs.paragraphAt(offset));
    }
    QString sentenceText(int index) const {
        const SentenceSpan& s = sentences[index];
        return request.text.mid(s.start, s.length);
    }
    ExportPart& current() { return outputs.parts[part]; }
    bool submitNext();
    bool startSentence(int sentence, QString* error);
    bool openPart(int chapter, QString* error);
    bool closePart(QString* error);
    bool writeAudio(const qint16* samples, qint64 count, QString* error);
    bool take(const StreamChunk& chunk, QString* error);
    void finishSentence();
};

bool AudioExport::Session::submitNext() {
    while (nextSentence < sentences.size()) {
        const int index = nextSentence++;
        // The rules of the passage's language, the sounds in its voice's form.
        const QString voice = voices.voiceAt(sentences[index].start);
        rules.context.language = languageAt(sentences[index].start);
        rules.context.inlineSounds = [voice](const QString& ipa) {
            return inlineSoundsFor(voice, ipa);
        };
        PreparedSentence prepared =
            prepareForSpeaking(sentenceText(index), request.replacementList, &rules);
        if (prepared.spoken.trimmed().isEmpty())
            continue; // nothing to hear: no cue, no gap
        SynthesisJob job;
        job.owner = this;
        job.stream = ++lastStream;
        job.text = prepared.spoken;
        job.xml = true; // Talk speaks with the XML flag: markup is read as markup
        job.voiceIdentifier = voice;
        job.wordsPerMinute = EspeakVoice::wordsPerMinute(request.rate);
        job.gain = qBound(0, request.volume, 100) / 100.0;
        job.format = speechAudioFormat(SAFT22kHz16BitMono); // resampled in the next stage
        job.paced = false;
        ChunkQueue* target = &queue;
        job.deliver = [target](StreamChunk chunk) { target->push(std::move(chunk)); };
        inFlight.push_back(InFlight{index, job.stream, std::move(prepared)});
        synthesisBackendFor(job.voiceIdentifier).submit(std::move(job));
        return true;
    }
    return false;
}

bool AudioExport::Session::writeAudio(const qint16* samples, qint64 count, QString* error) {
    QByteArray pcm = converter
                         ? converter->convert(samples, int(count))
                         : QByteArray(reinterpret_cast<const char*>(samples), qsizetype(count) * 2);
    if (encoder.write(std::move(pcm)))
        return true;
    *error = encoder.error();
    return false;
}

bool AudioExport::Session::openPart(int chapterIndex, QString* error) {
    std::unique_ptr<AudioFileWriter> writer;
    part = outputs.addPart(chapterIndex, &writer);
    if (!writer->isOpen()) {
        *error = writer->errorString();
        return false;
    }
    converter.reset();
    const int rate = writer->sampleRate();
    if (rate != kRate)
        for (const SpeechAudioFormat& f : speechAudioFormats())
            if (f.sampleRate == rate && f.bitsPerSample == 16 && f.channels == 1)
                converter = std::make_unique<PcmConverter>(f, 1.0);
    base = 0;
    if (!encoder.open(std::move(writer))) {
        *error = encoder.error();
        return false;
    }
    return true;
}

bool AudioExport::Session::closePart(QString* error) {
    if (part < 0)
        return true;
    if (converter && !encoder.write(converter->finish())) {
        *error = encoder.error();
        return false;
    }
    ExportPart& p = current();
    totalFrames += base;
    p.durationMs = toMs(base);
    if (!p.marks.isEmpty())
        p.marks.last().endMs = p.durationMs;
    if (!p.timings.isEmpty())
        p.timings.last().endMs = p.durationMs;
    if (!encoder.close(outputs.tagWriter(part))) {
        *error = encoder.error();
        return false;
    }
    return true;
}

// A sentence's first audio: a new file or chapter when it starts one, else the gap.
bool AudioExport::Session::startSentence(int sentence, QString* error) {
    const int c = chapterOf[sentence];
    if (part < 0 || (c != chapter && outputs.filePerChapter())) {
        if (!closePart(error) || !openPart(c, error))
            return false;
    } else if (base > 0) {
        static const std::vector<qint16> zeros(size_t(kRate), 0);
        if (!writeAudio(zeros.data(), gapFrames, error))
            return false;
        base += gapFrames;
    }
    if (c != chapter) {
        if (!current().marks.isEmpty())
            current().marks.last().endMs = toMs(base);
        current().marks.append({outputs.chapters[c].title, toMs(base), toMs(base)});
        chapter = c;
    }
    if (!current().timings.isEmpty())
        current().timings.last().endMs = toMs(base);
    current().timings.append({sentence, toMs(base), toMs(base)});
    started = true;
    return true;
}

bool AudioExport::Session::take(const StreamChunk& chunk, QString* error) {
    const InFlight& now = inFlight.front();
    if (!started && !startSentence(now.sentence, error))
        return false;
    for (const TimedEvent& e : chunk.events) {
        if (e.kind != TimedEvent::Word)
            continue;
        wordOffsets.append(now.prepared.edits.originalSpan(e.pos, e.length).first);
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
    if (!writeAudio(samples, count, error))
        return false;
    written += count;
    if (!chunk.error.isEmpty()) {
        *error = chunk.error;
        return false;
    }
    return true;
}

void AudioExport::Session::finishSentence() {
    const InFlight now = std::move(inFlight.front());
    inFlight.pop_front();
    const qint64 end = lastSound >= 0 ? lastSound + 1 : written;
    if (request.captions != CaptionFormat::None && (!wordFrames.isEmpty() || lastSound >= 0)) {
        // Word offsets must ascend for the mapping onto the caption text.
        for (int i = 1; i < wordOffsets.size(); ++i)
            wordOffsets[i] = qMax(wordOffsets[i], wordOffsets[i - 1]);
        Cue cue;
        cue.text = captionText(sentenceText(now.sentence), &wordOffsets);
        const qint64 first = wordFrames.isEmpty() ? 0 : qMin(wordFrames.first(), end - 1);
        cue.startMs = toMs(base + first);
        cue.endMs = qMax(cue.startMs + 1, toMs(base + end));
        for (int i = 0; i < wordFrames.size(); ++i)
            cue.words.append(CaptionWord{wordOffsets[i], toMs(base + wordFrames[i])});
        current().cues.append(std::move(cue));
    }
    if (started)
        current().timings.last().endMs = toMs(base + written);
    base += written;
    written = 0;
    lastSound = -1;
    started = false;
    wordOffsets.clear();
    wordFrames.clear();
}

AudioExport::AudioExport(ExportRequest request) : m_request(std::move(request)) {}

AudioExport::~AudioExport() = default;

void AudioExport::cancel() {
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    if (m_session) {
        m_session->queue.stop();
        m_session->encoder.stop();
    }
}

void AudioExport::setSession(Session* session) {
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    m_session = session;
    if (session && m_cancelled) {
        session->queue.stop();
        session->encoder.stop();
    }
}

QString AudioExport::checkRequest(const ExportRequest& request) {
    return checkExportRequest(request);
}

QString AudioExport::splitFolderFor(const ExportRequest& request) {
    return ExportOutputs::splitFolderFor(request);
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
    session.chapterOf = session.outputs.chapterOfSentences(session.sentences);
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
            return m_cancelled ? Pumped::Cancelled : Pumped::Failed;
        if (!chunk.last)
            continue;
        const int sentence = session.inFlight.front().sentence;
        const SentenceSpan done = session.sentences[sentence];
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
            p.chapter = session.chapterOf[sentence] + 1;
            p.chapterCount = int(session.outputs.chapters.size());
            p.chapterTitle = session.outputs.chapters[session.chapterOf[sentence]].title;
            progress(p);
        }
    }
    if (!session.closePart(error) || !session.encoder.drain()) {
        if (error->isEmpty())
            *error = session.encoder.error();
        return m_cancelled ? Pumped::Cancelled : Pumped::Failed;
    }
    return Pumped::Done;
}

// The voice, the document and the cover, when the caller left them out.
void AudioExport::completeRequest() {
    if (m_request.voiceIdentifier.isEmpty())
        m_request.voiceIdentifier = espeakVoiceTokens().value(0).Id();
    for (const SpObjectToken& voice : espeakVoiceTokens() + localVoiceTokens())
        if (m_request.voiceName.isEmpty() && voice.Id() == m_request.voiceIdentifier)
            m_request.voiceName = voice.GetDescription();
    if (m_request.voiceName.isEmpty())
        m_request.voiceName = m_request.voiceIdentifier;
    if (!m_request.readInput)
        return;
    if (m_request.document.paragraphs.isEmpty() && QFileInfo(m_request.inputPath).isFile()) {
        DocumentLoad load = exportInputText(m_request.inputPath);
        if (load.status == DocumentLoad::Status::Loaded && load.bookText == m_request.text) {
            m_request.document = std::move(load.document);
            m_request.paragraphStarts = std::move(load.paragraphStarts);
        }
    }
    m_request.voiceName = voicesName(m_request);
    if (m_request.coverJpeg.isEmpty() && !m_request.inputPath.isEmpty())
        m_request.coverJpeg = coverJpegFor(m_request.inputPath);
}

ExportResult AudioExport::run(const ProgressFn& progress) {
    ExportResult result;
    result.audioPath = m_request.outputPath;
    result.error = checkRequest(m_request);
    if (!result.error.isEmpty())
        return result;
    SynthesisBackend& worker = synthesisBackendFor(m_request.voiceIdentifier);
    if (!worker.isReady()) {
        result.error = QStringLiteral("The speech engine espeak-ng could not start.");
        return result;
    }
    completeRequest();
    Session session(m_request);
    if (!session.outputs.prepare(&result.error) || !cutSentences(session, &result.error))
        return result;
    setSession(&session);
    const Pumped pumped = pump(session, progress, &result.error);
    setSession(nullptr);
    session.queue.stop();
    worker.forget(&session);               // nothing is delivered to the session after this
    result.sentences = session.lastStream; // the sentences that had something to say
    result.sampleRate = kRate;
    result.frames = session.totalFrames;
    if (pumped == Pumped::Cancelled || m_cancelled) {
        result.status = ExportResult::Status::Cancelled;
        result.error.clear();
    } else if (pumped == Pumped::Done && session.outputs.finish(session.sentences, &result)) {
        result.status = ExportResult::Status::Done;
    }
    return result;
}

} // namespace orasent
