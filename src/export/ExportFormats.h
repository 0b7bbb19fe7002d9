#pragma once
// The audio and caption formats an export can write, their names and file name extensions.
#include <QString>
#include <QStringList>
#include <optional>

namespace orasent {

// Epub is a read-along book: text, one MP3 per chapter and the overlays that join them.
enum class AudioFileFormat { Wav, Flac, OggVorbis, Opus, Mp3, Epub };
enum class CaptionFormat { None, Srt, Vtt, Lrc };
// Lossy formats only: standard fits a voice; small is about two thirds of it, high about double.
enum class ExportQuality { Small, Standard, High };

// "wav", "flac", "ogg", "opus", "mp3", "epub" (any letter case); nothing for other names.
std::optional<AudioFileFormat> audioFormatFromName(const QString& name);
// From the end of a file name: .wav, .flac, .ogg or .oga, .opus, .mp3, .epub (any letter case).
std::optional<AudioFileFormat> audioFormatFromPath(const QString& path);
QString audioFormatName(AudioFileFormat format);      // "wav", ...
QString audioFormatCaption(AudioFileFormat format);   // "Ogg Vorbis", ...
QString audioFormatExtension(AudioFileFormat format); // "ogg", ...
// Opus runs at 48 kHz only; the others take espeak-ng's own 22,050 Hz.
int audioFormatSampleRate(AudioFileFormat format);
// libsndfile's major and minor format (WAV, FLAC and Ogg Vorbis are written through it).
int sndfileFormat(AudioFileFormat format);

// How a format is encoded at a quality.
struct EncoderSettings {
    int sampleRate = 22050;
    int bitrate = 0;              // bits per second for MP3 (constant) and Opus (variable)
    double compressionLevel = -1; // libsndfile's 0 (best) .. 1 (smallest); -1 its default
};
EncoderSettings encoderSettings(AudioFileFormat format, ExportQuality quality);

// "small", "standard", "high" (any letter case).
std::optional<ExportQuality> exportQualityFromName(const QString& name);
QString exportQualityName(ExportQuality quality);
QString exportQualityCaption(ExportQuality quality); // "Small", "Standard", "High"

// "srt", "vtt", "lrc" (any letter case); nothing for other names ("none" is not a name here).
std::optional<CaptionFormat> captionFormatFromName(const QString& name);
QString captionFormatName(CaptionFormat format);    // "" for None
QString captionFormatCaption(CaptionFormat format); // "None", "SRT", "WebVTT", "LRC"

// The caption file beside `audioPath`: the same folder and base name, the caption extension.
QString captionPathFor(const QString& audioPath, CaptionFormat format);

QStringList audioFormatNames();
QStringList captionFormatNames();

} // namespace orasent
