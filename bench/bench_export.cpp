// Export speed and memory: a long text to an audio file, against `espeak-ng -w` writing the same
// text to WAV in the same run.
//   build/bench/bench_export [KIB=1024] [FORMAT=ogg ...]
// The default is the full 1 MB (many minutes); a smaller KIB measures a slice of it.
#include "engine/EspeakVoice.h"
#include "export/AudioExport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

using namespace orasent;

namespace {

const QString kParagraph = QStringLiteral(
    "The reading aid speaks one sentence at a time. Each word is highlighted while it is heard, "
    "so the eyes can follow the voice. A pause follows every sentence, and the next one starts "
    "when the reader is ready. Chapter %1 begins on a quiet morning near the river. ");

QString novel(qint64 bytes) {
    QString text;
    for (int i = 1; text.size() < bytes; ++i)
        text += kParagraph.arg(i);
    return text.left(bytes);
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

// Seconds espeak-ng's own program takes to write the text as WAV.
double espeakSeconds(const QString& textPath, const QString& wavPath, const QString& voice) {
    QElapsedTimer clock;
    clock.start();
    QProcess espeak;
    espeak.start(QStringLiteral("espeak-ng"), {QStringLiteral("-v"), voice, QStringLiteral("-w"),
                                               wavPath, QStringLiteral("-f"), textPath});
    if (!espeak.waitForFinished(-1) || espeak.exitCode() != 0)
        return -1;
    return clock.nsecsElapsed() / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    const QStringList args = app.arguments();
    const qint64 kib = args.size() > 1 ? args[1].toLongLong() : 1024;
    QStringList formats = args.mid(2);
    if (formats.isEmpty())
        formats << QStringLiteral("ogg");

    QTemporaryDir dir;
    const QString text = novel(kib * 1024);
    const QString textPath = dir.filePath(QStringLiteral("novel.txt"));
    QFile file(textPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) != text.size())
        return 1;
    file.close();
    const QString voice = espeakVoiceTokens().value(0).Id();
    const double reference =
        espeakSeconds(textPath, dir.filePath(QStringLiteral("ref.wav")), voice);
    QFile::remove(dir.filePath(QStringLiteral("ref.wav")));
    std::printf("text: %lld KiB, voice %s; espeak-ng -w: %.2f s\n", kib, qPrintable(voice),
                reference);

    for (const QString& name : formats) {
        ExportRequest request;
        request.text = text;
        request.format = audioFormatFromName(name).value_or(AudioFileFormat::OggVorbis);
        request.outputPath = dir.filePath(QStringLiteral("novel.") + name);
        request.captions = CaptionFormat::Vtt;
        request.voiceIdentifier = voice;
        QElapsedTimer clock;
        clock.start();
        const ExportResult result = AudioExport(request).run();
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (result.status != ExportResult::Status::Done) {
            std::printf("%s: failed: %s\n", qPrintable(name), qPrintable(result.error));
            continue;
        }
        std::printf("%s: %.2f s for %.0f s of audio: real-time factor %.1fx; throughput vs "
                    "espeak-ng -w %.2fx; peak memory %.0f MB\n",
                    qPrintable(name), seconds, result.audioSeconds(),
                    result.audioSeconds() / seconds, reference > 0 ? reference / seconds : 0.0,
                    peakMegabytes());
        QFile::remove(result.audioPath);
        QFile::remove(result.captionPath);
    }
    return 0;
}
