#pragma once
// A PcmOutput whose "played" clock the test moves by hand, so the timing of events can be
// checked without a device or a wall clock.
#include "engine/PcmOutput.h"

#include <QByteArray>
#include <QStringList>
#include <memory>

namespace orasent::test {

struct FakeClock {
    qint64 played = 0; // frames of the current stream the listener has heard
    qint64 polls = 0;  // how often the player asked
    int opened = 0;
    int closed = 0;
    int discarded = 0;
    QStringList calls; // prepare, open, close and discard, in order
    bool failNow = false;
    SpeechAudioFormat format;
    QByteArray data; // everything written to the current stream
};

class FakeClockOutput : public PcmOutput {
public:
    explicit FakeClockOutput(std::shared_ptr<FakeClock> clock) : m_clock(std::move(clock)) {}
    void prepare(const SpeechAudioFormat&) override { m_clock->calls << "prepare"; }
    void open(const SpeechAudioFormat& format) override {
        m_clock->calls << "open";
        ++m_clock->opened;
        m_clock->format = format;
        m_clock->played = 0;
        m_clock->data.clear();
    }
    qint64 write(const char* data, qint64 bytes) override {
        m_clock->data.append(data, bytes);
        return bytes;
    }
    qint64 playedFrames() override {
        ++m_clock->polls;
        return m_clock->played;
    }
    bool failed() const override { return m_clock->failNow; }
    void close() override {
        m_clock->calls << "close";
        ++m_clock->closed;
    }
    void discard() override {
        m_clock->calls << "discard";
        ++m_clock->discarded;
    }

private:
    std::shared_ptr<FakeClock> m_clock;
};

} // namespace orasent::test
