#include "engine/PcmOutput.h"

#include "engine/AudioFormats.h"
#include "engine/SpVoice.h"
#include "engine/WaveFileWriter.h"

#include "engine/DeviceSink.h"
#include "engine/SinkThread.h"

#include <utility>

namespace orasent {

DevicePcmOutput::DevicePcmOutput(const QAudioDevice& device) : m_device(device) {}

DevicePcmOutput::~DevicePcmOutput() {
    discard();
}

void DevicePcmOutput::prepare(const SpeechAudioFormat& format) {
    const QAudioFormat qformat = toQAudioFormat(format);
    if (m_device.isNull() || !m_device.isFormatSupported(qformat))
        return;
    startStream(qformat);
    m_prepared = true;
}

void DevicePcmOutput::open(const SpeechAudioFormat& format) {
    if (m_device.isNull())
        throw SpeechError("no audio output device");
    const QAudioFormat qformat = toQAudioFormat(format);
    if (!m_device.isFormatSupported(qformat))
        throw SpeechError("the audio output refuses this format");
    if (std::exchange(m_prepared, false) && qformat == m_format && !failed())
        return;
    startStream(qformat);
}

void DevicePcmOutput::startStream(const QAudioFormat& qformat) {
    discard();
    m_format = qformat;
    m_bytesWritten = 0;
    m_thread = SinkThread::current();
    m_stream = std::make_shared<DeviceStream>();
    const qsizetype buffer = qformat.bytesForDuration(kDeviceBufferUsecs);
    QObject* root = m_thread->root();
    m_thread->post([stream = m_stream, device = m_device, qformat, buffer, root] {
        stream->sink = new DeviceSink(stream, root);
        stream->sink->open(device, qformat, buffer);
    });
}

qint64 DevicePcmOutput::write(const char* data, qint64 bytes) {
    if (!m_stream || failed())
        return 0;
    // Stay a fixed time ahead of what has been heard.
    const qint64 ahead = m_bytesWritten - m_format.bytesForDuration(m_stream->heardUsecs);
    const qint64 room = qMin<qint64>(bytes, m_format.bytesForDuration(kAheadUsecs) - ahead);
    const qint64 take = room - room % m_format.bytesPerFrame();
    if (take <= 0)
        return 0;
    {
        std::lock_guard<std::mutex> lock(m_stream->mutex);
        m_stream->queued.append(data, take);
    }
    m_bytesWritten += take;
    if (!m_stream->feedPosted.exchange(true)) {
        m_thread->post([stream = m_stream] {
            if (stream->sink)
                stream->sink->feed();
        });
    }
    return take;
}

qint64 DevicePcmOutput::playedFrames() {
    if (!m_stream)
        return 0;
    return m_stream->heardUsecs * m_format.sampleRate() / 1000000;
}

bool DevicePcmOutput::failed() const {
    return m_stream && (m_stream->failed || m_thread->isStuck());
}

void DevicePcmOutput::close() {
    discard();
}

void DevicePcmOutput::discard() {
    m_prepared = false;
    if (!m_stream)
        return;
    m_thread->post([stream = m_stream] {
        if (DeviceSink* sink = std::exchange(stream->sink, nullptr))
            sink->stop();
    });
    if (m_thread->isStuck())
        SinkThread::abandon(m_thread);
    m_stream.reset();
    m_thread.reset();
}

WavePcmOutput::WavePcmOutput(std::shared_ptr<WaveFileWriter> writer)
    : m_writer(std::move(writer)) {}

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
