#pragma once
// The audio and caption formats an export can write, their names and file name extensions.
#include <QString>
#include <QStringList>
#include <optional>

namespace orasent {

enum class AudioFileFormat { Wav, Flac, OggVorbis, Opus, Mp3 };
enum class CaptionFormat { None, Srt, Vtt, Lrc };

// "wav", "flac", "ogg", "opus", "mp3" (any letter case); nothing for other names.
std::optional<AudioFileFormat> audioFormatFromName(const QString& name);
// From the end of a file name: .wav, .flac, .ogg or .oga, .opus, .mp3 (any letter case).
std::optional<AudioFileFormat> audioFormatFromPath(const QString& path);
QString audioFormatName(AudioFileFormat format);      // "wav", ...
QString audioFormatCaption(AudioFileFormat format);   // "Ogg Vorbis", ...
QString audioFormatExtension(AudioFileFormat format); // "ogg", ...
// Opus runs at 48 kHz only; the others take espeak-ng's own 22,050 Hz.
int audioFormatSampleRate(AudioFileFormat format);
// libsndfile's major and minor format.
int sndfileFormat(AudioFileFormat format);

// "srt", "vtt", "lrc" (any letter case); nothing for other names ("none" is not a name here).
std::optional<CaptionFormat> captionFormatFromName(const QString& name);
QString captionFormatName(CaptionFormat format);    // "" for None
QString captionFormatCaption(CaptionFormat format); // "None", "SRT", "WebVTT", "LRC"

// The caption file beside `audioPath`: the same folder and base name, the caption extension.
QString captionPathFor(const QString& audioPath, CaptionFormat format);

QStringList audioFormatNames();
QStringList captionFormatNames();

} // namespace orasent
