#include "engine/WaveFileWriter.h"

#include "engine/SpVoice.h"

#include <QFile>
#include <sndfile.h>

namespace orasent {

WaveFileWriter::WaveFileWriter(const QString& path, const SpeechAudioFormat& format)
    : m_path(path), m_format(format) {
    SF_INFO info{};
    info.samplerate = format.sampleRate;
    info.channels = format.channels;
    info.format = SF_FORMAT_WAV | (format.bitsPerSample == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    m_file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!m_file)
        throw SpeechError(std::string("cannot write wave file: ") + sf_strerror(nullptr));
}

WaveFileWriter::~WaveFileWriter() {
    if (m_file)
        sf_close(m_file);
}

void WaveFileWriter::write(const char* data, qint64 bytes) {
    // Raw writes keep the samples exactly as converted (8-bit unsigned stays unsigned).
    if (bytes <= 0)
        return;
    const sf_count_t done = sf_write_raw(m_file, data, bytes);
    if (done != bytes)
        throw SpeechError(std::string("wave file write failed: ") + sf_strerror(m_file));
    m_frames += bytes / (m_format.channels * m_format.bitsPerSample / 8);
}

void WaveFileWriter::flushHeader() {
    sf_write_sync(m_file);
    sf_command(m_file, SFC_UPDATE_HEADER_NOW, nullptr, 0);
}

} // namespace orasent
