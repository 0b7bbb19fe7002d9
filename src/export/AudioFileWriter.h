#pragma once
// An audio file written through libsndfile into a temporary file beside the target, renamed over
// it only by commit(). Every write and the close are checked; an uncommitted writer leaves no
// file behind.
#include "common/AtomicFile.h"
#include "export/ExportFormats.h"

#include <QString>
#include <memory>

struct sf_private_tag;

namespace orasent {

class AudioFileWriter {
public:
    // 16-bit mono at the format's sample rate. isOpen() tells whether it could start.
    AudioFileWriter(const QString& targetPath, AudioFileFormat format);
    ~AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    QString errorString() const { return m_error; }
    int sampleRate() const { return m_sampleRate; }
    qint64 framesWritten() const { return m_frames; }

    bool write(const qint16* samples, qint64 count);
    bool writeSilence(qint64 count);
    // Closes the encoder, flushes the file to disk and renames it over the target.
    bool commit();

private:
    bool fail(const QString& message);
    std::unique_ptr<AtomicFileStream> m_stream;
    sf_private_tag* m_file = nullptr;
    int m_sampleRate = 0;
    qint64 m_frames = 0;
    QString m_error;
};

} // namespace orasent
