#include "export/AudioExport.h"

#include "documents/CoverImage.h"
#include "documents/LoadedDocument.h"
#include "engine/EspeakSounds.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/PcmConverter.h"
#include "engine/SynthesisLanes.h"
#include "engine/SynthesisWorker.h"
#include "export/BookPlan.h"
#include "export/EncoderStage.h"
#include "export/ExportLanes.h"
#include "export/ExportOutputs.h"
#include "export/ExportText.h"
#include "export/PassageVoices.h"
#include "speech/PronunciationStore.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <algorithm>
#include <memory>
#include <mutex>
#include <thread>

namespace orasent {

namespace {

// Lanes at most, however many cores there are.
constexpr int kMaxLanes = 8;
// Samples at or below this level (of 32768, at full volume) count as the silence around words.
constexpr int kSilenceLevel = 64;
// espeak-ng's own rate: every time of an export is counted in its frames.
constexpr int kRate = PcmConverter::kInputRate;

qint64 toMs(qint64 frames) {
    return frames * 1000 / kRate;
}

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
    EncoderStage encoder;
    std::unique_ptr<PcmConverter> converter; // when the file's rate is not espeak-ng's
    const qint64 gapFrames = qint64(kRate) * kSentenceGapMs / 1000;
    qint64 threshold = kSilenceLevel;
    PassageVoices voices;
    SpeakingRules rules = exportRules(request);

    std::unique_ptr<ExportLanes> lanes;
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
    // On run()'s thread, one sentence after the other.
    bool prepare(int index, SynthesisJob* job, PreparedSentence* prepared);
    bool startSentence(int sentence, QString* error);
    bool openPart(int chapter, QString* error);
    bool closePart(QString* error);
    bool writeAudio(const qint16* samples, qint64 count, QString* error);
    bool take(const StreamChunk& chunk, QString* error);
    QString voiceFailure(int sentence, QString reason) const;
    ExportProgress progress(int sentence, qint64 elapsedMs) const;
    void finishSentence();
};

bool AudioExport::Session::prepare(int index, SynthesisJob* job, PreparedSentence* prepared) {
    // The rules of the passage's language, the sounds in its voice's form.
    const QString voice = voices.voiceAt(sentences[index].start);
    rules.context.language = languageAt(sentences[index].start);
    rules.context.inlineSounds = [voice](const QString& ipa) {
        return inlineSoundsFor(voice, ipa);
    };
    *prepared = prepareForSpeaking(sentenceText(index), request.replacementList, &rules);
    if (prepared->spoken.trimmed().isEmpty())
        return false; // nothing to hear: no cue, no gap
    job->text = prepared->spoken;
    job->xml = true; // Talk speaks with the XML flag: markup is read as markup
    job->voiceIdentifier = voice;
    job->wordsPerMinute = EspeakVoice::wordsPerMinute(request.rate);
    job->gain = qBound(0, request.volume, 100) / 100.0;
    job->format = speechAudioFormat(SAFT22kHz16BitMono); // resampled in the next stage
    job->paced = false;
    return true;
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
    const ExportLanes::Sentence& now = lanes->current();
    if (!started && !startSentence(now.index, error))
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
        *error = voiceFailure(now.index, chunk.error);
        return false;
    }
    return true;
}

// Why the voice stopped, and where.
QString AudioExport::Session::voiceFailure(int sentence, QString reason) const {
    if (!reason.endsWith(QLatin1Char('.')))
        reason += QLatin1Char('.');
    return QStringLiteral("The voice stopped at sentence %1 of %2, in \"%3\": %4")
        .arg(sentence + 1)
        .arg(sentences.size())
        .arg(outputs.chapters[chapterOf[sentence]].title, reason);
}

void AudioExport::Session::finishSentence() {
    const ExportLanes::Sentence& now = lanes->current();
    const qint64 end = lastSound >= 0 ? lastSound + 1 : written;
    if (request.captions != CaptionFormat::None && (!wordFrames.isEmpty() || lastSound >= 0)) {
        // Word offsets must ascend for the mapping onto the caption text.
        for (int i = 1; i < wordOffsets.size(); ++i)
            wordOffsets[i] = qMax(wordOffsets[i], wordOffsets[i - 1]);
        Cue cue;
        cue.text = captionText(sentenceText(now.index), &wordOffsets);
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

AudioExport::AudioExport(ExportRequest request)
    : AudioExport(std::move(request), localSynthesisLanes()) {}

AudioExport::AudioExport(ExportRequest request, SynthesisLanes& synthesis)
    : m_request(std::move(request)), m_synthesis(synthesis) {}

AudioExport::~AudioExport() = default;

void AudioExport::cancel() {
    m_cancelled = true;
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    if (m_session) {
        m_session->lanes->stop();
        m_session->encoder.stop();
    }
}

void AudioExport::setSession(Session* session) {
    std::lock_guard<std::mutex> lock(m_sessionMutex);
    m_session = session;
    if (session && m_cancelled) {
        session->lanes->stop();
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

ExportProgress AudioExport::Session::progress(int sentence, qint64 elapsedMs) const {
    const qsizetype firstChar = sentences.first().start;
    const double totalChars = double(request.text.size() - firstChar);
    const double doneChars =
        double(sentences[sentence].start + sentences[sentence].length) - double(firstChar);
    ExportProgress p;
    p.sentencesDone = lanes->sentenceAhead();
    p.sentencesTotal = int(sentences.size());
    if (doneChars > 0 && elapsedMs > 500)
        p.secondsLeft = elapsedMs / 1000.0 * (totalChars - doneChars) / doneChars;
    p.chapter = chapterOf[sentence] + 1;
    p.chapterCount = int(outputs.chapters.size());
    p.chapterTitle = outputs.chapters[chapterOf[sentence]].title;
    return p;
}

AudioExport::Pumped AudioExport::pump(Session& session, const ProgressFn& progress,
                                      QString* error) {
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        StreamChunk chunk;
        const ExportLanes::Next next = session.lanes->next(&chunk);
        if (next == ExportLanes::Next::Stopped || m_cancelled)
            return Pumped::Cancelled;
        if (next == ExportLanes::Next::Done)
            break;
        if (!session.take(chunk, error))
            return m_cancelled ? Pumped::Cancelled : Pumped::Failed;
        if (!chunk.last)
            continue;
        const int sentence = session.lanes->current().index;
        session.finishSentence();
        if (progress)
            progress(session.progress(sentence, clock.elapsed()));
    }
    if (!session.closePart(error) || !session.encoder.drain()) {
        if (error->isEmpty())
            *error = session.encoder.error();
        return m_cancelled ? Pumped::Cancelled : Pumped::Failed;
    }
    return Pumped::Done;
}

// One lane when every voice of the text is one per process, else one per core.
int AudioExport::laneCount(const Session& session) const {
    const int cores =
        m_request.threads > 0 ? m_request.threads : int(std::thread::hardware_concurrency());
    const QStringList used = session.voices.voicesFrom(session.sentences.first().start);
    const bool sideBySide = std::any_of(used.begin(), used.end(), [&](const QString& voice) {
        return m_synthesis.runsSideBySide(voice);
    });
    return sideBySide ? qBound(1, cores, kMaxLanes) : 1;
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
    if (!m_synthesis.newLane()->backendFor(m_request.voiceIdentifier).isReady()) {
        result.error = QStringLiteral("The speech engine espeak-ng could not start.");
        return result;
    }
    completeRequest();
    Session session(m_request);
    if (!session.outputs.prepare(&result.error) || !cutSentences(session, &result.error))
        return result;
    session.lanes = std::make_unique<ExportLanes>(
        m_synthesis, laneCount(session), int(session.sentences.size()),
        [&session](int index, SynthesisJob* job, PreparedSentence* prepared) {
            return session.prepare(index, job, prepared);
        });
    setSession(&session);
    const Pumped pumped = pump(session, progress, &result.error);
    setSession(nullptr);
    result.sentences = session.lanes->spokenCount(); // the sentences that had something to say
    session.lanes.reset(); // nothing is delivered to the session after this
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
