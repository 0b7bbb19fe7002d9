#include "export/AudioFileWriter.h"

#include <sndfile.h>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace orasent {

AudioFileWriter::AudioFileWriter(const QString& targetPath, AudioFileFormat format)
    : m_stream(std::make_unique<AtomicFileStream>(targetPath)),
      m_sampleRate(audioFormatSampleRate(format)) {
    if (!m_stream->isOpen()) {
        m_error = m_stream->errorString();
        return;
    }
    SF_INFO info{};
    info.samplerate = m_sampleRate;
    info.channels = 1;
    info.format = sndfileFormat(format);
    m_file = sf_open_fd(m_stream->fd(), SFM_WRITE, &info, SF_FALSE);
    if (!m_file) {
        m_error = QStringLiteral("libsndfile cannot write %1: %2")
                      .arg(audioFormatCaption(format), QString::fromUtf8(sf_strerror(nullptr)));
        m_stream->discard();
        return;
    }
    // Speech needs no more than a moderate quality; the encoders' defaults are far above it.
    if (format == AudioFileFormat::OggVorbis || format == AudioFileFormat::Opus ||
        format == AudioFileFormat::Mp3) {
        double level = 0.5; // 0 best .. 1 smallest
        sf_command(m_file, SFC_SET_COMPRESSION_LEVEL, &level, sizeof(level));
    }
}

AudioFileWriter::~AudioFileWriter() {
    if (m_file)
        sf_close(m_file);
    // m_stream removes the temporary unless it was committed.
}

bool AudioFileWriter::fail(const QString& message) {
    m_error = message;
    if (m_file)
        sf_close(m_file);
    m_file = nullptr;
    m_stream->discard();
    return false;
}

bool AudioFileWriter::write(const qint16* samples, qint64 count) {
    if (!m_file)
        return false;
    if (count <= 0)
        return true;
    const sf_count_t done = sf_write_short(m_file, samples, count);
    if (done != count || sf_error(m_file) != SF_ERR_NO_ERROR)
        return fail(QStringLiteral("Could not write \"%1\": %2")
                        .arg(m_stream->temporaryPath(), QString::fromUtf8(sf_strerror(m_file))));
    m_frames += count;
    return true;
}

bool AudioFileWriter::writeSilence(qint64 count) {
    static const std::vector<qint16> zeros(4096, 0);
    while (count > 0) {
        const qint64 n = qMin<qint64>(count, qint64(zeros.size()));
        if (!write(zeros.data(), n))
            return false;
        count -= n;
    }
    return true;
}

bool AudioFileWriter::commit() {
    if (!m_file)
        return false;
    const int closed = sf_close(m_file);
    m_file = nullptr;
    if (closed != 0)
        return fail(
            QStringLiteral("Could not finish \"%1\": %2")
                .arg(m_stream->temporaryPath(), QString::fromUtf8(sf_error_number(closed))));
    if (!m_stream->commit()) {
        m_error = m_stream->errorString();
        return false;
    }
    return true;
}

} // namespace orasent
