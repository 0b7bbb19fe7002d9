#include "engine/DeviceSink.h"

#include "engine/AudioOutputs.h"

#include <QAudioSink>
#include <utility>

namespace orasent {

namespace {
constexpr int kPollMs = 5; // how often the clock is read while a stream plays
} // namespace

DeviceSink::DeviceSink(std::shared_ptr<DeviceStream> stream, QObject* parent)
    : QObject(parent), m_stream(std::move(stream)), m_poll(this) {
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &DeviceSink::feed);
}

DeviceSink::~DeviceSink() {
    if (m_sink) {
        m_sink->stop();
        delete m_sink; // the thread is ending: nothing else runs on it
    }
}

void DeviceSink::open(const QAudioDevice& chosen, const QAudioFormat& format,
                      qsizetype bufferBytes) {
    // A device gone since the list was read gives way to the default one (the sink would wait
    // for it for good).
    const QAudioDevice device = AudioOutputs::stillListed(chosen);
    if (device.isNull()) {
        m_stream->failed = true;
        return;
    }
    // Without a parent: Qt 6.4 hangs the sink's PulseAudio stream on the parent too, so deleting
    // this object deleted the stream a second time under a sink still to be deleted.
    m_sink = new QAudioSink(device, format);
    m_sink->setBufferSize(bufferBytes);
    m_io = m_sink->start();
    if (!m_io || m_sink->error() != QAudio::NoError) {
        fail();
        return;
    }
    m_poll.start();
    feed();
}

bool DeviceSink::sinkFailed() const {
    const QAudio::Error error = m_sink->error();
    return error == QAudio::OpenError || error == QAudio::IOError || error == QAudio::FatalError ||
           m_sink->state() == QAudio::StoppedState;
}

void DeviceSink::fail() {
    m_stream->failed = true;
    m_poll.stop();
    m_io = nullptr;
}

void DeviceSink::feed() {
    m_stream->feedPosted = false;
    if (!m_io)
        return;
    // A stream the server has killed (its device removed) shows negative free space. Writing into
    // it fails in a way that leaves PulseAudio locked for good (Qt 6.4): no sound ever again.
    if (m_sink->bytesFree() < 0 || sinkFailed()) {
        fail();
        return;
    }
    QByteArray data;
    {
        std::lock_guard<std::mutex> lock(m_stream->mutex);
        data.swap(m_stream->queued);
    }
    // PulseAudio takes a write beyond bytesFree() and plays it smoothly; bytesFree() itself can
    // stay at zero for a second after the first buffer, so it is not waited for.
    const qint64 done = data.isEmpty() ? 0 : m_io->write(data);
    if (done < 0) {
        fail();
        return;
    }
    if (done < data.size()) {
        std::lock_guard<std::mutex> lock(m_stream->mutex);
        m_stream->queued.prepend(data.mid(done));
    }
    m_stream->heardUsecs = m_sink->processedUSecs();
}

void DeviceSink::stop() {
    m_poll.stop();
    m_io = nullptr;
    if (QAudioSink* sink = std::exchange(m_sink, nullptr)) {
        sink->stop(); // disconnects the stream: buffered audio is dropped at once
        // Destroying a sink runs pending events; this may be in the middle of other work.
        sink->deleteLater();
    }
    deleteLater();
}

} // namespace orasent
