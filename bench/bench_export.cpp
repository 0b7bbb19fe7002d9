// Export speed, size and memory: each format at standard quality against `espeak-ng -w` writing
// the same text to WAV in the same run, and each encoder alone on espeak-ng's own output (the
// limit no pipeline can pass on two cores).
//   build/bench/bench_export [KIB=64|full] [FORMAT ...]
// The text is the start of Moby-Dick from the shared corpus (../shared/corpus beside the source
// tree), or all of it with "full"; without the corpus, a made-up text of that size.
#include "ProcessFigures.h"
#include "documents/DocumentLoader.h"
#include "engine/EspeakVoice.h"
#include "engine/PcmConverter.h"
#include "export/AudioExport.h"
#include "export/AudioFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <sndfile.h>

using namespace orasent;

namespace {

const QString kParagraph = QStringLiteral(
    "The reading aid speaks one sentence at a time. Each word is highlighted while it is heard, "
    "so the eyes can follow the voice. A pause follows every sentence, and the next one starts "
    "when the reader is ready. Chapter %1 begins on a quiet morning near the river. ");

QString madeUpText(qint64 chars) {
    QString text;
    for (int i = 1; text.size() < chars; ++i)
        text += kParagraph.arg(i);
    return text.left(chars);
}

// The peak resident memory since the last reset, MB.
void resetPeak() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}
double peakMB() {
    return bench::statusKiB("VmHWM") / 1024.0;
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

// Seconds one encoder takes for espeak-ng's samples in `wavPath` (resampled first for Opus),
// read a block at a time.
double encoderSeconds(const QString& wavPath, AudioFileFormat format, const QString& out) {
    SF_INFO info{};
    SNDFILE* in = sf_open(QFile::encodeName(wavPath).constData(), SFM_READ, &info);
    if (!in)
        return -1;
    std::vector<short> block(8192);
    QElapsedTimer clock;
    clock.start();
    AudioFileWriter writer(out, format == AudioFileFormat::Epub ? AudioFileFormat::Mp3 : format);
    std::unique_ptr<PcmConverter> converter;
    if (writer.sampleRate() != PcmConverter::kInputRate)
        converter = std::make_unique<PcmConverter>(speechAudioFormat(38), 1.0);
    for (sf_count_t n; (n = sf_read_short(in, block.data(), sf_count_t(block.size()))) > 0;) {
        if (converter) {
            const QByteArray pcm = converter->convert(block.data(), int(n));
            writer.write(reinterpret_cast<const qint16*>(pcm.constData()), pcm.size() / 2);
        } else {
            writer.write(block.data(), n);
        }
    }
    writer.commit();
    sf_close(in);
    const double seconds = clock.nsecsElapsed() / 1e9;
    QFile::remove(out);
    return seconds;
}

QString corpusBook() {
    QDir dir(QCoreApplication::applicationDirPath());
    for (int up = 0; up < 6; ++up, dir.cdUp()) {
        const QString candidate =
            dir.filePath(QStringLiteral("../shared/corpus/epub3-moby-dick-full-novel.epub"));
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    }
    return {};
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // each figure as soon as it is known
    const QStringList args = app.arguments();
    const bool full = args.value(1) == QLatin1String("full");
    const qint64 kib = full ? 0 : (args.size() > 1 ? args[1].toLongLong() : 64);
    QStringList formats = args.mid(2);
    if (formats.isEmpty())
        formats = QStringList{"wav", "flac", "ogg", "opus", "mp3", "epub"};

    ExportRequest base;
    const QString book = corpusBook();
    if (book.isEmpty()) {
        std::printf("corpus not found (../shared/corpus): using a made-up text\n");
        base.text = madeUpText(full ? 1024 * 1024 : kib * 1024);
    } else {
        DocumentLoad load = loadDocument(book);
        base.text = load.bookText;
        if (full) {
            base.document = load.document;
            base.paragraphStarts = load.paragraphStarts;
        } else {
            const qsizetype end = base.text.indexOf(QStringLiteral(". "), kib * 1024);
            base.text = base.text.left(end < 0 ? base.text.size() : end + 1);
        }
    }
    QTemporaryDir dir;
    const QString textPath = dir.filePath(QStringLiteral("book.txt"));
    QFile file(textPath);
    if (!file.open(QIODevice::WriteOnly) || file.write(base.text.toUtf8()) < 0)
        return 1;
    file.close();
    base.voiceIdentifier = espeakVoiceTokens().value(0).Id();
    const QString refWav = dir.filePath(QStringLiteral("ref.wav"));
    const double reference = espeakSeconds(textPath, refWav, base.voiceIdentifier);
    std::printf("text: %s, %lld characters, voice %s; espeak-ng -w: %.2f s\n",
                full ? "whole novel" : qPrintable(QStringLiteral("%1 KiB").arg(kib)),
                qlonglong(base.text.size()), qPrintable(base.voiceIdentifier), reference);
    std::printf("%-5s %8s %7s %9s %9s %10s %10s %8s\n", "", "time s", "ratio", "audio h", "MB/hour",
                "kb/s", "encoder", "peak MB");
    for (const QString& name : formats) {
        ExportRequest request = base;
        request.format = audioFormatFromName(name).value_or(AudioFileFormat::OggVorbis);
        request.outputPath = dir.filePath(QStringLiteral("book.") + name);
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        const ExportResult result = AudioExport(request).run();
        const double seconds = clock.nsecsElapsed() / 1e9;
        const double peak = peakMB();
        if (result.status != ExportResult::Status::Done) {
            std::printf("%s: failed: %s\n", qPrintable(name), qPrintable(result.error));
            continue;
        }
        const double hours = result.audioSeconds() / 3600;
        const qint64 bytes = QFileInfo(result.audioPath).size();
        const double encoder =
            encoderSeconds(refWav, request.format, dir.filePath(QStringLiteral("enc.") + name));
        std::printf("%-5s %8.2f %7.2f %9.2f %9.1f %10.1f %9.2fx %8.0f\n", qPrintable(name), seconds,
                    reference > 0 ? reference / seconds : 0.0, hours, bytes / 1e6 / hours,
                    bytes * 8 / result.audioSeconds() / 1000,
                    encoder > 0 ? reference / encoder : 0.0, peak);
        QFile::remove(result.audioPath);
    }
    std::printf("ratio: espeak-ng -w time / export time (1.0 = as fast); encoder: espeak-ng -w "
                "time / that encoder alone on espeak-ng's samples\n");
    return 0;
}
