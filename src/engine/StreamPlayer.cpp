#include "engine/StreamPlayer.h"

#include <algorithm>
#include <utility>

namespace orasent {

namespace {
constexpr int kTickMs = 5;
constexpr int kSilenceMs = 20;
// A complete stream this short and silent (the blank that stops speech) is not worth a device.
constexpr int kSkippedSilenceMs = 100;

bool isSilence(const QByteArray& pcm, int bitsPerSample) {
    const char quiet = bitsPerSample == 8 ? char(0x80) : char(0);
    return std::all_of(pcm.begin(), pcm.end(), [quiet](char c) { return c == quiet; });
}
} // namespace

StreamPlayer::StreamPlayer(QObject* parent) : QObject(parent) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &StreamPlayer::pump);
}

StreamPlayer::~StreamPlayer() {
    for (auto& stream : m_streams)
        releaseOutput(*stream, true);
}

void StreamPlayer::enqueue(int stream, const SpeechAudioFormat& format,
                           std::unique_ptr<PcmOutput> output, const SpObjectToken& voice) {
    auto s = std::make_unique<Stream>();
    s->number = stream;
    s->format = format;
    s->bytesPerFrame = format.channels * format.bitsPerSample / 8;
    s->output = std::move(output);
    s->voice = voice;
    m_streams.push_back(std::move(s));
    prepareFront();
    updateTimer();
}

void StreamPlayer::prepareFront() {
    if (m_streams.empty())
        return;
    Stream& s = *m_streams.front();
    if (s.outputState != Stream::OutputState::Idle)
        return;
    s.output->prepare(s.format);
    s.outputState = Stream::OutputState::Prepared;
}

void StreamPlayer::releaseOutput(Stream& s, bool discard) {
    const Stream::OutputState state = std::exchange(s.outputState, Stream::OutputState::Idle);
    if (state == Stream::OutputState::Open && !discard)
        s.output->close();
    else if (state != Stream::OutputState::Idle)
        s.output->discard();
}

void StreamPlayer::deliver(StreamChunk chunk) {
    for (auto& s : m_streams) {
        if (s->number != chunk.stream)
            continue;
        if (!chunk.pcm.isEmpty())
            s->pending.push_back(std::move(chunk.pcm));
        for (const TimedEvent& e : chunk.events)
            s->events.push_back(e);
        if (!chunk.error.isEmpty())
            s->error = chunk.error;
        if (chunk.last)
            s->totalFrames = chunk.totalFrames;
        pump();
        return;
    }
    // A purged stream: its audio is dropped.
}

void StreamPlayer::purge() {
    ++m_generation;
    std::deque<std::unique_ptr<Stream>> dropped;
    dropped.swap(m_streams);
    updateTimer();
    for (auto& s : dropped)
        releaseOutput(*s, true);
}

bool StreamPlayer::isQueued(int stream) const {
    for (const auto& s : m_streams)
        if (s->number == stream)
            return true;
    return false;
}

void StreamPlayer::pump() {
    while (!m_streams.empty()) {
        const quint64 generation = m_generation;
        const bool frontDone = serviceFront();
        if (!frontDone || generation == m_generation)
            break;
        // The front stream ended (or a handler purged); carry on with whatever is queued now.
    }
    updateTimer();
}

void StreamPlayer::updateTimer() {
    if (m_streams.empty())
        m_timer.stop();
    else if (!m_timer.isActive())
        m_timer.start();
}

void StreamPlayer::finishFront(bool failed, const QString& reason) {
    std::unique_ptr<Stream> s = std::move(m_streams.front());
    m_streams.pop_front();
    ++m_generation;
    releaseOutput(*s, failed);
    prepareFront();
    const qint64 end = (s->totalFrames >= 0 ? s->totalFrames : s->framesWritten) * s->bytesPerFrame;
    if (failed)
        emit streamFailed(s->number, reason);
    emit streamEnded(s->number, end);
}

bool StreamPlayer::isShortSilence(const Stream& s) const {
    if (!s.error.isEmpty())
        return false;
    qint64 bytes = 0;
    for (const QByteArray& pcm : s.pending) {
        if (!isSilence(pcm, s.format.bitsPerSample))
            return false;
        bytes += pcm.size();
    }
    return bytes / s.bytesPerFrame <= qint64(s.format.sampleRate) * kSkippedSilenceMs / 1000;
}

// Raises the events of a stream that has nothing to hear, without an output.
void StreamPlayer::raiseEvent(const Stream& s, const TimedEvent& e) {
    const qint64 bytePos = qMin(e.frame, s.framesWritten) * s.bytesPerFrame;
    if (e.kind == TimedEvent::Word)
        emit wordReached(s.number, bytePos, e.pos, e.length);
    else
        emit sentenceReached(s.number, bytePos, e.pos, e.length);
}

bool StreamPlayer::finishUnheard(Stream& s) {
    const quint64 generation = m_generation;
    s.pending.clear();
    s.framesWritten = s.totalFrames;
    s.started = true;
    emit streamStarted(s.number, 0, s.voice);
    while (generation == m_generation && !s.events.empty()) {
        const TimedEvent e = s.events.front();
        s.events.pop_front();
        raiseEvent(s, e);
    }
    if (generation == m_generation)
        finishFront(false, {});
    return true;
}

bool StreamPlayer::serviceFront() {
    Stream& s = *m_streams.front();
    const quint64 generation = m_generation;
    auto changed = [&] { return generation != m_generation; };

    if (s.outputState != Stream::OutputState::Open) {
        if (s.pending.empty() && s.totalFrames < 0 && s.error.isEmpty())
            return false; // nothing to play yet
        // Silence so far: the device waits for sound, or for the end of a blank.
        if (isShortSilence(s))
            return s.totalFrames >= 0 ? finishUnheard(s) : false;
        try {
            s.output->open(s.format);
        } catch (const SpeechError& e) {
            finishFront(true, QString::fromUtf8(e.what()));
            return true;
        }
        s.outputState = Stream::OutputState::Open;
        s.sinceProgress.start();
    }

    qint64 bytesTaken = 0;
    while (!s.pending.empty()) {
        const QByteArray& block = s.pending.front();
        const qint64 n =
            s.output->write(block.constData() + s.pendingOffset, block.size() - s.pendingOffset);
        if (n <= 0)
            break;
        bytesTaken += n;
        s.pendingOffset += n;
        if (s.pendingOffset >= block.size()) {
            s.pending.pop_front();
            s.pendingOffset = 0;
        }
    }
    s.framesWritten += bytesTaken / s.bytesPerFrame;
    if (bytesTaken && m_consumed)
        m_consumed(bytesTaken / s.bytesPerFrame * 1000000 / s.format.sampleRate);

    if (!s.started && (s.framesWritten > 0 || s.totalFrames >= 0 || !s.error.isEmpty())) {
        s.started = true;
        emit streamStarted(s.number, 0, s.voice);
        if (changed())
            return true;
    }

    if (!s.error.isEmpty() || s.output->failed()) {
        finishFront(true, s.error.isEmpty() ? QStringLiteral("the audio output failed") : s.error);
        return true;
    }

    const bool allWritten = s.pending.empty() && s.totalFrames >= 0;
    if (allWritten && s.output->wantsTrailingSilence()) {
        // Keeps the device playing until the stream's last frame has been heard.
        const int frames = s.format.sampleRate * kSilenceMs / 1000;
        const QByteArray silence(frames * s.bytesPerFrame,
                                 s.format.bitsPerSample == 8 ? char(0x80) : char(0));
        s.output->write(silence.constData(), silence.size());
    }

    const qint64 played = qMin(s.output->playedFrames(), s.framesWritten);
    if (played > s.lastPlayed) {
        s.lastPlayed = played;
        s.sinceProgress.restart();
    }

    const bool heardAll = allWritten && played >= s.totalFrames;
    while (!s.events.empty() && (heardAll || s.events.front().frame <= played)) {
        const TimedEvent e = s.events.front();
        s.events.pop_front();
        raiseEvent(s, e);
        if (changed())
            return true;
    }

    if (heardAll) {
        finishFront(false, {});
        return true;
    }
    // Stalled: the output plays none of what it took, or takes none of what is waiting.
    if ((played < s.framesWritten || !s.pending.empty()) &&
        s.sinceProgress.elapsed() > m_stallTimeoutMs) {
        finishFront(true, QStringLiteral("the audio output stopped playing"));
        return true;
    }
    return false;
}

} // namespace orasent
