#include "app/ExportCommand.h"

#include "common/ProgramFiles.h"
#include "engine/EspeakVoice.h"
#include "engine/LocalVoices.h"
#include "engine/SpVoice.h"
#include "engine/SynthesisWorker.h"
#include "engine/speechd/SpeechDispatcherVoice.h"
#include "export/AudioExport.h"
#include "export/ExportArguments.h"
#include "export/ExportText.h"
#include "export/PassageVoices.h"
#include "reader/ReadingLook.h"
#include "reader/ReadingOptions.h"
#include "speech/PronunciationFile.h"
#include "speech/SpeechSettingsFile.h"
#include "speech/WordListFile.h"

#include <QFileInfo>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <unistd.h>

namespace orasent {

namespace {

constexpr int kDone = 0;
constexpr int kFailure = 1;
constexpr int kUsage = 2;

volatile std::sig_atomic_t g_interrupted = 0;

void say(FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

int usageError(const QString& message) {
    say(stderr, QStringLiteral("orasent: %1").arg(message));
    return kUsage;
}

int failure(const QString& message) {
    say(stderr, QStringLiteral("orasent: %1").arg(message));
    return kFailure;
}

QString clock(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

// The voices that can write files: espeak-ng's, then Flite's and Festival's.
SpObjectTokens exportVoices() {
    return espeakVoiceTokens() + localVoiceTokens();
}

// The voice a new user hears: the clearest voice of espeak-ng's first voice's language.
QString defaultVoice() {
    const QString first = espeakVoiceTokens().value(0).Id();
    const QString clearest = clearestVoiceFor(espeakLanguageOf(first));
    return clearest.isEmpty() ? first : clearest;
}

// The voice at `index` of the Voice box, which lists speech-dispatcher's voices between
// espeak-ng's and Flite's (they are counted only when the index lies beyond espeak-ng's); ""
// for a voice that cannot write files or an index outside the list.
QString voiceAtIndex(int index) {
    const SpObjectTokens espeak = espeakVoiceTokens();
    if (index >= 0 && index < espeak.size())
        return espeak.at(index).Id();
    const SpObjectTokens flite = localVoiceTokens();
    if (index < 0 || flite.isEmpty())
        return {};
    SpeechDispatcherVoice desktop;
    const int at = index - int(espeak.size()) - int(desktop.GetVoices().size());
    return at >= 0 && at < flite.size() ? flite.at(at).Id() : QString();
}

int listVoices() {
    const SpObjectTokens voices = exportVoices();
    if (voices.isEmpty())
        return failure(QStringLiteral("espeak-ng lists no voices"));
    for (const SpObjectToken& voice : voices)
        say(stdout, QStringLiteral("%1\t%2").arg(voice.Id(), voice.GetDescription()));
    return kDone;
}

// The voice, rate, volume and replacement list as the speech window would take them from
// "VIC.INI" and "Speech.lst" in the working folder.
void applySavedSettings(ExportRequest* request) {
    request->replacementList = loadReplacementList(files::wordList());
    const PronunciationLoad pronunciation = loadPronunciationFile();
    if (!pronunciation.problem.isEmpty())
        say(stderr, QStringLiteral("orasent: %1").arg(pronunciation.problem));
    request->pronunciation = std::make_shared<PronunciationRules>(pronunciation.settings.rules);
    request->bookLexicons = pronunciation.settings.bookLexicons;
    request->voiceIdentifier = defaultVoice();
    for (const SettingAction& action : readSpeechSettingsFile(files::speechSettings())) {
        const int value = int(action.value);
        if (action.kind == SettingAction::VoiceIndex) {
            const QString saved = voiceAtIndex(value);
            if (!saved.isEmpty())
                request->voiceIdentifier = saved;
        } else if (action.kind == SettingAction::Rate && value >= -10 && value <= 10) {
            request->rate = value;
        } else if (action.kind == SettingAction::Volume && value >= 0 && value <= 100) {
            request->volume = value;
        }
    }
}

QString voiceDescription(const SpObjectTokens& voices, const QString& id) {
    for (const SpObjectToken& voice : voices)
        if (voice.Id() == id)
            return voice.GetDescription();
    return id;
}

std::optional<QString> voiceNamed(const SpObjectTokens& voices, const QString& name) {
    for (const SpObjectToken& voice : voices)
        if (voice.Id().compare(name, Qt::CaseInsensitive) == 0 ||
            voice.GetDescription().compare(name, Qt::CaseInsensitive) == 0)
            return voice.Id();
    return std::nullopt;
}

// One updating line on a terminal; nothing otherwise.
AudioExport::ProgressFn progressLine() {
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    return [terminal](const ExportProgress& p) {
        if (!terminal)
            return;
        QString line = QStringLiteral("Exporting: sentence %1 of %2")
                           .arg(p.sentencesDone)
                           .arg(p.sentencesTotal);
        if (p.chapterCount > 1)
            line += QStringLiteral(", chapter %1 of %2").arg(p.chapter).arg(p.chapterCount);
        if (p.secondsLeft >= 0)
            line += QStringLiteral(", about %1 left").arg(clock(p.secondsLeft));
        std::fprintf(stderr, "\r%s\033[K", line.toLocal8Bit().constData());
        std::fflush(stderr);
    };
}

// Ctrl+C, a closed terminal and a session's end all cancel, so that no temporary file stays.
constexpr int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

void onInterrupt(int number) {
    g_interrupted = number;
}

QString interruptedBy(int number) {
    switch (number) {
    case SIGINT:
        return QStringLiteral(" by SIGINT");
    case SIGTERM:
        return QStringLiteral(" by SIGTERM");
    case SIGHUP:
        return QStringLiteral(" by SIGHUP");
    }
    return QString();
}

int exportText(const ExportRequest& request) {
    const qsizetype sentences = cutExportSentences(request.text).size();
    if (!request.text.trimmed().isEmpty() && request.fromSentence > sentences)
        return usageError(QStringLiteral("--from-sentence %1 is past the end: the text has %2 "
                                         "sentences")
                              .arg(request.fromSentence)
                              .arg(sentences));
    AudioExport exporter(request);
    for (const int number : kInterruptSignals)
        std::signal(number, onInterrupt);
    // A closed terminal or pipe must not end the program halfway through its last line.
    std::signal(SIGPIPE, SIG_IGN);
    // The handler only sets a flag; this watcher turns it into a cancel, even inside a long
    // sentence.
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done) {
            if (g_interrupted)
                exporter.cancel();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const ExportResult result = exporter.run(progressLine());
    done = true;
    watcher.join();
    for (const int number : kInterruptSignals)
        std::signal(number, SIG_DFL);
    if (::isatty(STDERR_FILENO) == 1)
        std::fprintf(stderr, "\r\033[K");
    if (result.status == ExportResult::Status::Cancelled)
        return failure(QStringLiteral("export interrupted%1; no file was written")
                           .arg(interruptedBy(int(g_interrupted))));
    if (result.status != ExportResult::Status::Done)
        return failure(result.error);
    QString line =
        QStringLiteral("orasent: wrote \"%1\" (%2 %3, %4 of audio")
            .arg(result.audioPath)
            .arg(result.sentences)
            .arg(result.sentences == 1 ? QStringLiteral("sentence") : QStringLiteral("sentences"))
            .arg(clock(result.audioSeconds()));
    if (result.chapters > 1)
        line += QStringLiteral(", %1 chapters").arg(result.chapters);
    line += QLatin1Char(')');
    if (!result.captionPath.isEmpty())
        line += QStringLiteral(" and \"%1\" (%2 cues)").arg(result.captionPath).arg(result.cues);
    say(stdout, line);
    return kDone;
}

int runExport(const ExportArguments& args) {
    ExportRequest request;
    const SpObjectTokens voices = exportVoices();
    applySavedSettings(&request);
    if (!args.voice.isEmpty()) {
        const auto voice = voiceNamed(voices, args.voice);
        if (!voice)
            return usageError(
                QStringLiteral("unknown voice \"%1\" (see orasent --list-voices)").arg(args.voice));
        request.voiceIdentifier = *voice;
    }
    request.rate = args.rate.value_or(request.rate);
    request.volume = args.volume.value_or(request.volume);
    const auto format = args.format ? args.format : audioFormatFromPath(args.output);
    if (!format)
        return usageError(QStringLiteral("cannot tell the audio format from \"%1\" (give --format "
                                         "wav, flac, ogg, opus, mp3 or epub)")
                              .arg(args.output));
    request.format = *format;
    request.quality = args.quality;
    request.splitChapters = args.splitChapters;
    request.voiceName = voiceDescription(voices, request.voiceIdentifier);
    request.captions = args.captions;
    request.fromSentence = args.fromSentence;
    request.outputPath = args.output;
    request.inputPath = args.input;
    followDocumentLanguage(&request,
                           readReadingOptionsFile(kReadingOptionsFileName).readInDocumentLanguage);
    const ReadingLook look = readReadingLookFile(files::readingLook());
    request.sentenceBand = readAlongBand(look);
    request.textColour = look.text;

    if (!QFileInfo(args.input).isFile())
        return failure(QStringLiteral("cannot read \"%1\": no such file").arg(args.input));
    const DocumentLoad load = exportInputText(args.input);
    if (load.status != DocumentLoad::Status::Loaded)
        return failure(QStringLiteral("cannot read \"%1\"%2")
                           .arg(args.input, load.error.isEmpty()
                                                ? QString()
                                                : QStringLiteral(": ") + load.error));
    request.text = load.bookText;
    request.document = load.document;
    request.paragraphStarts = load.paragraphStarts;
    return exportText(request);
}

} // namespace

bool isExportCommand(const QStringList& arguments) {
    for (const QString& arg : arguments.mid(1)) {
        const QString name = arg.section(QLatin1Char('='), 0, 0);
        if (name == QLatin1String("--export") || name == QLatin1String("--list-voices"))
            return true;
    }
    return false;
}

int runExportCommand(const QStringList& arguments) {
    const ParsedExportArguments parsed = parseExportArguments(arguments.mid(1));
    if (!parsed.ok)
        return usageError(parsed.error);
    if (!SynthesisWorker::instance().isReady())
        return failure(QStringLiteral("the speech engine espeak-ng could not start"));
    return parsed.arguments.listVoices ? listVoices() : runExport(parsed.arguments);
}

} // namespace orasent
