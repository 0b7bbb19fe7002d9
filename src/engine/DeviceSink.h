#pragma once
// The sink-thread side of a device output: one QAudioSink per stream, fed from what the GUI
// thread queued, publishing how much of it has been heard.
#include <QAudioDevice>
#include <QAudioFormat>
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <atomic>
#include <memory>
#include <mutex>

class QAudioSink;
class QIODevice;

namespace orasent {

class DeviceSink;

// Shared by a DevicePcmOutput on the GUI thread and its DeviceSink on the sink thread.
struct DeviceStream {
    std::mutex mutex;
    QByteArray queued;                 // taken by the player, not yet in the sink
    std::atomic<qint64> heardUsecs{0}; // of this stream
    std::atomic<bool> failed{false};
    std::atomic<bool> feedPosted{false}; // a feed is on its way to the sink thread
    DeviceSink* sink = nullptr;          // touched on the sink thread only
};

class DeviceSink : public QObject {
public:
    DeviceSink(std::shared_ptr<DeviceStream> stream, QObject* parent);
    ~DeviceSink() override;
    void open(const QAudioDevice& device, const QAudioFormat& format, qsizetype bufferBytes);
    // Writes what is queued and publishes the clock.
    void feed();
    // Drops whatever is still buffered and goes.
    void stop();

private:
    bool sinkFailed() const;
    void fail();

    std::shared_ptr<DeviceStream> m_stream;
    QAudioSink* m_sink = nullptr;
    QIODevice* m_io = nullptr;
    QTimer m_poll;
};

} // namespace orasent
