#include "export/ExportFormats.h"

#include <QFileInfo>
#include <sndfile.h>

namespace orasent {

namespace {
struct AudioEntry {
    AudioFileFormat format;
    const char* name;
    const char* caption;
    int sndfile;
};
const AudioEntry kAudio[] = {
    {AudioFileFormat::Wav, "wav", "WAV", SF_FORMAT_WAV | SF_FORMAT_PCM_16},
    {AudioFileFormat::Flac, "flac", "FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16},
    {AudioFileFormat::OggVorbis, "ogg", "Ogg Vorbis", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
    {AudioFileFormat::Opus, "opus", "Opus", SF_FORMAT_OGG | SF_FORMAT_OPUS},
    {AudioFileFormat::Mp3, "mp3", "MP3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III},
    {AudioFileFormat::Epub, "epub", "EPUB 3 with narration", 0},
};
const AudioEntry& entry(AudioFileFormat format) {
    return kAudio[int(format)];
}
const char* const kCaptionNames[] = {"", "srt", "vtt", "lrc"};
const char* const kCaptionCaptions[] = {"None", "SRT", "WebVTT", "LRC"};
} // namespace

std::optional<AudioFileFormat> audioFormatFromName(const QString& name) {
    for (const AudioEntry& e : kAudio)
        if (name.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return e.format;
    return std::nullopt;
}

std::optional<AudioFileFormat> audioFormatFromPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("oga"), Qt::CaseInsensitive) == 0)
        return AudioFileFormat::OggVorbis;
    return audioFormatFromName(suffix);
}

QString audioFormatName(AudioFileFormat format) {
    return QLatin1String(entry(format).name);
}
QString audioFormatCaption(AudioFileFormat format) {
    return QLatin1String(entry(format).caption);
}
QString audioFormatExtension(AudioFileFormat format) {
    return audioFormatName(format);
}
int audioFormatSampleRate(AudioFileFormat format) {
    return format == AudioFileFormat::Opus ? 48000 : 22050;
}
int sndfileFormat(AudioFileFormat format) {
    return entry(format).sndfile;
}

EncoderSettings encoderSettings(AudioFileFormat format, ExportQuality quality) {
    static const int kOpus[] = {24000, 32000, 64000};
    // Below 56 kb/s a 22,050 Hz frame is too small for the header that gives the exact length.
    static const int kMp3[] = {56000, 64000, 128000};
    static const double kVorbis[] = {1.0, 0.7, 0.25};
    const int q = int(quality);
    EncoderSettings s;
    s.sampleRate = audioFormatSampleRate(format);
    switch (format) {
    case AudioFileFormat::Opus:
        s.bitrate = kOpus[q];
        break;
    case AudioFileFormat::Mp3:
    case AudioFileFormat::Epub: // its chapters are MP3
        s.bitrate = kMp3[q];
        break;
    case AudioFileFormat::OggVorbis: // about 29, 47 and 90 kb/s for espeak-ng's voice
        s.compressionLevel = kVorbis[q];
        break;
    case AudioFileFormat::Flac:
    case AudioFileFormat::Wav:
        break;
    }
    return s;
}

std::optional<ExportQuality> exportQualityFromName(const QString& name) {
    for (ExportQuality q : {ExportQuality::Small, ExportQuality::Standard, ExportQuality::High})
        if (name.compare(exportQualityName(q), Qt::CaseInsensitive) == 0)
            return q;
    return std::nullopt;
}
QString exportQualityName(ExportQuality quality) {
    return exportQualityCaption(quality).toLower();
}
QString exportQualityCaption(ExportQuality quality) {
    static const char* const kCaptions[] = {"Small", "Standard", "High"};
    return QLatin1String(kCaptions[int(quality)]);
}

std::optional<CaptionFormat> captionFormatFromName(const QString& name) {
    for (int i = 1; i < 4; ++i)
        if (name.compare(QLatin1String(kCaptionNames[i]), Qt::CaseInsensitive) == 0)
            return CaptionFormat(i);
    return std::nullopt;
}
QString captionFormatName(CaptionFormat format) {
    return QLatin1String(kCaptionNames[int(format)]);
}
QString captionFormatCaption(CaptionFormat format) {
    return QLatin1String(kCaptionCaptions[int(format)]);
}

QString captionPathFor(const QString& audioPath, CaptionFormat format) {
    if (format == CaptionFormat::None)
        return {};
    const QString suffix = QFileInfo(audioPath).suffix();
    const QString stem = suffix.isEmpty() ? audioPath : audioPath.chopped(suffix.size() + 1);
    return stem + QLatin1Char('.') + captionFormatName(format);
}

QStringList audioFormatNames() {
    QStringList names;
    for (const AudioEntry& e : kAudio)
        names << QLatin1String(e.name);
    return names;
}
QStringList captionFormatNames() {
    return {QStringLiteral("srt"), QStringLiteral("vtt"), QStringLiteral("lrc")};
}

} // namespace orasent
