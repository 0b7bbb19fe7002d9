#include "engine/PcmOutput.h"

#include "engine/AudioFormats.h"
#include "engine/SpVoice.h"
#include "engine/WaveFileWriter.h"

#include <QAudioSink>

namespace orasent {

DevicePcmOutput::DevicePcmOutput(const QAudioDevice& device) : m_device(device) {}

DevicePcmOutput::~DevicePcmOutput() { discard(); }

void DevicePcmOutput::open(const SpeechAudioFormat& format) {
    if (m_device.isNull())
        throw SpeechError("no audio output device");
    const QAudioFormat qformat = toQAudioFormat(format);
    if (!m_device.isFormatSupported(qformat))
        throw SpeechError("the audio output refuses this format");
    m_sampleRate = format.sampleRate;
    m_format = qformat;
    m_bytesWritten = 0;
    m_sink = std::make_unique<QAudioSink>(m_device, qformat);
    m_sink->setBufferSize(qformat.bytesForDuration(kAheadUsecs));
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError) {
        m_sink.reset();
        m_io = nullptr;
        throw SpeechError("the audio output cannot be opened");
    }
}

qint64 DevicePcmOutput::write(const char* data, qint64 bytes) {
    if (!m_io || failed())
        return 0;
    // A stream the server has killed (its device removed) shows negative free space. Writing into
    // it fails in a way that leaves PulseAudio locked for good (Qt 6.4): no sound ever again.
    if (m_sink->bytesFree() < 0) {
        m_failed = true;
        return 0;
    }
    // Stay a fixed time ahead of what has been heard. The sink's own bytesFree() is not used:
    // with PulseAudio it can stay at zero for a second after the first buffer has played,
    // starving the stream, while a write beyond it is accepted and keeps playback smooth.
    const qint64 ahead = m_bytesWritten - m_format.bytesForDuration(m_sink->processedUSecs());
    const qint64 room = qMin<qint64>(bytes, m_format.bytesForDuration(kAheadUsecs) - ahead);
    if (room <= 0)
        return 0;
    const qint64 frameBytes = m_format.bytesPerFrame();
    const qint64 done = m_io->write(data, room - room % frameBytes);
    if (done < 0) {
        m_failed = true;
        return 0;
    }
    m_bytesWritten += done;
    return done;
}

qint64 DevicePcmOutput::playedFrames() {
    if (!m_sink)
        return 0;
    return m_sink->processedUSecs() * m_sampleRate / 1000000;
}

bool DevicePcmOutput::failed() const {
    if (m_failed)
        return true;
    if (!m_sink)
        return false;
    const QAudio::Error error = m_sink->error();
    return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError
        || m_sink->state() == QAudio::StoppedState;
}

void DevicePcmOutput::close() { discard(); }

void DevicePcmOutput::discard() {
    m_io = nullptr;
    if (QAudioSink* sink = m_sink.release()) {
        sink->stop(); // disconnects the stream: buffered audio is dropped at once
        // Destroying a sink runs pending events; the caller may be in the middle of its work.
        sink->deleteLater();
    }
}

WavePcmOutput::WavePcmOutput(std::shared_ptr<WaveFileWriter> writer) : m_writer(std::move(writer)) {}

void WavePcmOutput::open(const SpeechAudioFormat& format) {
    if (!m_writer)
        throw SpeechError("no wave file");
    if (format.type != m_writer->format().type)
        throw SpeechError("the wave file was opened in another format");
    m_bytesPerFrame = format.channels * format.bitsPerSample / 8;
}

qint64 WavePcmOutput::write(const char* data, qint64 bytes) {
    if (m_failed)
        return 0;
    try {
        m_writer->write(data, bytes);
    } catch (const SpeechError&) {
        m_failed = true;
        return 0;
    }
    m_frames += bytes / m_bytesPerFrame;
    return bytes;
}

void WavePcmOutput::close() {
    if (m_writer)
        m_writer->flushHeader();
}

} // namespace orasent
