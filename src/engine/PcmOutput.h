#pragma once
// Where a stream's samples go, and the clock that says how much of them has been heard.
// The player opens one output per stream, writes what it accepts, asks playedFrames() to time
// the stream's events, and closes it once every frame has been heard (discard() on a purge).
// All calls come from the GUI thread and must not block.
// Tests put a fake clock behind this seam.
#include "engine/SpeechAudioFormat.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QtGlobal>
#include <memory>

namespace orasent {

class SinkThread;
class WaveFileWriter;
struct DeviceStream;

class PcmOutput {
public:
    virtual ~PcmOutput() = default;
    // A stream in this format is coming: an output slow to start may start now. open() with
    // the same format or discard() follows. Never throws; open() reports what fails.
    virtual void prepare(const SpeechAudioFormat& format) { Q_UNUSED(format) }
    // Starts a stream in this format; throws SpeechError when the output cannot play it.
    virtual void open(const SpeechAudioFormat& format) = 0;
    // Takes up to `bytes` bytes of interleaved samples; returns how many it took.
    virtual qint64 write(const char* data, qint64 bytes) = 0;
    // Frames of this stream heard so far.
    virtual qint64 playedFrames() = 0;
    // The output can play no more (device gone, disk full).
    virtual bool failed() const = 0;
    // Every frame written has been heard: stop.
    virtual void close() = 0;
    // Stop at once, dropping whatever is still buffered.
    virtual void discard() = 0;
    // Output that needs to be kept fed until the end of the stream has been heard (a device);
    // the player then tops it up with silence.
    virtual bool wantsTrailingSilence() const { return false; }
};

// A Qt Multimedia audio device (PulseAudio on Linux). Its QAudioSink lives on the sink thread:
// every call here returns at once, whatever the sound server does.
class DevicePcmOutput : public PcmOutput {
public:
    explicit DevicePcmOutput(const QAudioDevice& device);
    ~DevicePcmOutput() override;
    // Starts the sound server's stream, which takes a few ms.
    void prepare(const SpeechAudioFormat& format) override;
    void open(const SpeechAudioFormat& format) override;
    qint64 write(const char* data, qint64 bytes) override;
    qint64 playedFrames() override;
    bool failed() const override;
    void close() override;
    void discard() override;
    bool wantsTrailingSilence() const override { return true; }

    // Audio queued beyond what has been heard.
    static constexpr qint64 kAheadUsecs = 200000;
    // The buffer asked of the sound server. PulseAudio starts a stream only once that much is
    // in it, so a short one lets the first word start at once; the writes go on beyond it (up
    // to kAheadUsecs), so it does not run dry.
    static constexpr qint64 kDeviceBufferUsecs = 20000;

private:
    void startStream(const QAudioFormat& qformat);

    QAudioDevice m_device;
    QAudioFormat m_format;
    qint64 m_bytesWritten = 0;
    bool m_prepared = false; // m_stream was started by prepare() and has had nothing yet
    std::shared_ptr<SinkThread> m_thread;
    std::shared_ptr<DeviceStream> m_stream;
};

// A WAV file: a frame counts as heard once it is in the file.
class WavePcmOutput : public PcmOutput {
public:
    explicit WavePcmOutput(std::shared_ptr<WaveFileWriter> writer);
    void open(const SpeechAudioFormat& format) override;
    qint64 write(const char* data, qint64 bytes) override;
    qint64 playedFrames() override { return m_frames; }
    bool failed() const override { return m_failed; }
    void close() override;
    void discard() override { close(); }

private:
    std::shared_ptr<WaveFileWriter> m_writer;
    qint64 m_frames = 0;
    int m_bytesPerFrame = 1;
    bool m_failed = false;
};

} // namespace orasent
