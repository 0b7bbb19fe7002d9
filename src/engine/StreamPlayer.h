#pragma once
// Plays the synthesized streams one after the other on the GUI thread and raises each stream's
// events when the output has played up to them: StartStream when its first samples go out,
// Word/Sentence when their frame has been heard, EndStream when its last frame has been heard.
//
// A stream whose output fails, or whose output stops making progress for far longer than any
// buffer, still ends with EndStream, so a caller waiting for it returns to idle. A short stream
// of silence (the blank Speak that stops speech) raises its events at once without an output.
#include "engine/PcmOutput.h"
#include "engine/SpVoice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QVector>
#include <deque>
#include <functional>
#include <memory>

namespace orasent {

struct TimedEvent {
    enum Kind { Word, Sentence };
    Kind kind = Word;
    qint64 frame = 0; // output frame of the stream at which it is heard
    int pos = 0;      // UTF-16 offset into the spoken text
    int length = 0;
};

// One piece of a stream's audio as the synthesis delivers it.
struct StreamChunk {
    int stream = 0;
    QByteArray pcm; // in the stream's output format
    QVector<TimedEvent> events;
    bool last = false;      // the stream's audio is complete
    qint64 totalFrames = 0; // with last: the stream's length
    QString error;          // synthesis failed; the stream ends
};

class StreamPlayer : public QObject {
    Q_OBJECT
public:
    // Called with the duration of the audio the output took (the synthesis may then run ahead).
    using ConsumedFn = std::function<void(qint64 usecs)>;

    explicit StreamPlayer(QObject* parent = nullptr);
    ~StreamPlayer() override;

    void setConsumedCallback(ConsumedFn fn) { m_consumed = std::move(fn); }
    // How long an output may play nothing before its stream is given up (ms).
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

    // Queues a stream; its chunks follow through deliver().
    void enqueue(int stream, const SpeechAudioFormat& format, std::unique_ptr<PcmOutput> output,
                 const SpObjectToken& voice);
    void deliver(StreamChunk chunk);
    // Drops every queued and playing stream at once; none of them raises another event.
    void purge();
    bool isQueued(int stream) const;
    bool isIdle() const { return m_streams.empty(); }
    // Runs one round of writing and event delivery now (the timer also does).
    void pump();

signals:
    void streamStarted(int stream, qint64 bytePosition, const orasent::SpObjectToken& voice);
    void wordReached(int stream, qint64 bytePosition, int pos, int length);
    void sentenceReached(int stream, qint64 bytePosition, int pos, int length);
    void streamEnded(int stream, qint64 bytePosition);
    // A stream ended because its output failed or stalled.
    void streamFailed(int stream, const QString& reason);

private:
    struct Stream {
        int number = 0;
        SpeechAudioFormat format;
        int bytesPerFrame = 2;
        std::unique_ptr<PcmOutput> output;
        SpObjectToken voice;
        std::deque<QByteArray> pending;
        qint64 pendingOffset = 0; // bytes of pending.front() already written
        std::deque<TimedEvent> events;
        qint64 framesWritten = 0;
        qint64 totalFrames = -1; // known once the synthesis is complete
        // Prepared: the output was told a stream is coming (the front stream, before its sound).
        enum class OutputState { Idle, Prepared, Open };
        OutputState outputState = OutputState::Idle;
        bool started = false;
        qint64 lastPlayed = -1;
        QElapsedTimer sinceProgress;
        QString error;
    };
    // Returns false when a signal handler changed the queue (a new Speak) and the round must stop.
    bool serviceFront();
    bool isShortSilence(const Stream& s) const;
    bool finishUnheard(Stream& s);
    // Word or Sentence, at the event's frame (never past what was written), in bytes.
    void raiseEvent(const Stream& s, const TimedEvent& e);
    void finishFront(bool failed, const QString& reason);
    // The output of the stream now at the front may start its device while the sound is made.
    void prepareFront();
    // A stream leaves the player: its output closes (every frame heard) or drops what it holds.
    static void releaseOutput(Stream& s, bool discard);
    void updateTimer();

    std::deque<std::unique_ptr<Stream>> m_streams;
    QTimer m_timer;
    ConsumedFn m_consumed;
    quint64 m_generation = 0;
    int m_stallTimeoutMs = 1500;
    bool m_pumping = false;
};

} // namespace orasent
