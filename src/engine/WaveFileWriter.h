#pragma once
// A WAV file written through libsndfile in one of the 36 output formats. The header is brought
// up to date after every stream, so the file is complete whenever no stream is being written.
#include "engine/SpeechAudioFormat.h"

#include <QString>

struct sf_private_tag;

namespace orasent {

class WaveFileWriter {
public:
    // Creates (or truncates) the file; throws SpeechError when it cannot.
    WaveFileWriter(const QString& path, const SpeechAudioFormat& format);
    ~WaveFileWriter();
    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // Interleaved samples in the file's format (8-bit unsigned or 16-bit signed little endian).
    // Throws SpeechError when the disk refuses them.
    void write(const char* data, qint64 bytes);
    void flushHeader();
    qint64 framesWritten() const { return m_frames; }
    const SpeechAudioFormat& format() const { return m_format; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    SpeechAudioFormat m_format;
    sf_private_tag* m_file = nullptr;
    qint64 m_frames = 0;
};

} // namespace orasent
