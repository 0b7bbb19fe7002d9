#pragma once
// An audio file written into a temporary file beside the target and renamed over it only by
// commit(). WAV, FLAC and Ogg Vorbis go through libsndfile, MP3 through libmp3lame (for its speed
// setting and exact length header), Opus through libopusenc (for its complexity and voice
// settings). Every write and the close are checked; an uncommitted writer leaves no file behind.
#include "common/AtomicFile.h"
#include "export/ExportFormats.h"

#include <QString>
#include <memory>

namespace orasent {

class AudioEncoder;

class AudioFileWriter {
public:
    // 16-bit mono at encoderSettings(format, quality).sampleRate. isOpen() tells whether it
    // could start.
    // The temporary is named as every export temporary is (ExportLeftovers.h).
    AudioFileWriter(const QString& targetPath, AudioFileFormat format,
                    ExportQuality quality = ExportQuality::Standard);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    bool isOpen() const { return m_encoder != nullptr; }
    QString errorString() const { return m_error; }
    int sampleRate() const { return m_sampleRate; }
    qint64 framesWritten() const { return m_frames; }
    QString targetPath() const { return m_target; }
    // Where the data is until commit(); tags may be written into it after finish().
    QString temporaryPath() const { return m_stream->temporaryPath(); }

    bool write(const qint16* samples, qint64 count);
    bool writeSilence(qint64 count);
    // Closes the encoder and flushes the file to disk; the rename waits for commit().
    bool finish();
    // finish() if not done, then the rename over the target.
    bool commit();

private:
    bool fail(const QString& message);
    std::unique_ptr<AtomicFileStream> m_stream;
    std::unique_ptr<AudioEncoder> m_encoder;
    QString m_target;
    int m_sampleRate = 0;
    qint64 m_frames = 0;
    bool m_finished = false;
    QString m_error;
};

} // namespace orasent
