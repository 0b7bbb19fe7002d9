#include "FakeVoice.h"

namespace orasent::test {

FakeVoice::FakeVoice(QObject* parent) : SpVoice(parent) {
    m_voice = voices.value(0);
    m_output = outputs.value(0);
}

SpObjectTokens FakeVoice::GetVoices(const QString&, const QString&) {
    return voices;
}
SpObjectTokens FakeVoice::GetAudioOutputs(const QString&, const QString&) {
    return outputs;
}

void FakeVoice::setVoice(const SpObjectToken& voice) {
    log << QStringLiteral("setVoice(%1)").arg(voice.Id());
    if (failSetVoice || voice.isNull())
        throw SpeechError("voice refused");
    m_voice = voice;
}

void FakeVoice::setAudioOutput(const SpObjectToken& output) {
    log << QStringLiteral("setAudioOutput(%1)").arg(output.Id());
    if (failSetAudioOutput || output.isNull())
        throw SpeechError("no audio output");
    m_output = output;
}

void FakeVoice::setRate(int rate) {
    log << QStringLiteral("setRate(%1)").arg(rate);
    m_rate = qBound(-10, rate, 10);
}

void FakeVoice::setVolume(int volume) {
    log << QStringLiteral("setVolume(%1)").arg(volume);
    m_volume = qBound(0, volume, 100);
}

void FakeVoice::setAudioOutputFormatType(int type) {
    log << QStringLiteral("setAudioOutputFormatType(%1)").arg(type);
    if (type < 4 || type > 39 || refusedFormatTypes.contains(type))
        throw SpeechError("format refused");
    m_formatType = type;
}

int FakeVoice::Speak(const QString& text, int flags) {
    log << QStringLiteral("Speak(%1,%2)").arg(text).arg(flags);
    if (failSpeak)
        throw SpeechError("speak failed");
    ++m_stream;
    calls.append({text, flags, m_stream, m_voice});
    return m_stream;
}

void FakeVoice::stop() {
    log << QStringLiteral("stop()");
    stops << int(calls.size());
}

void FakeVoice::startStream(int stream) {
    emit StartStream(streamOr(stream), QVariant(qint64(0)));
}
void FakeVoice::word(int pos, int length, int stream) {
    emit Word(streamOr(stream), QVariant(qint64(0)), pos, length);
}
void FakeVoice::sentence(int pos, int length, int stream) {
    emit Sentence(streamOr(stream), QVariant(qint64(0)), pos, length);
}
void FakeVoice::endStream(int stream) {
    emit EndStream(streamOr(stream), QVariant(qint64(0)));
}
void FakeVoice::voiceChange(const SpObjectToken& token, int stream) {
    emit VoiceChange(streamOr(stream), QVariant(qint64(0)), token);
}

void FakeVoice::speakThrough() {
    const QString text = lastText();
    startStream();
    int start = -1;
    for (int i = 0; i <= text.size(); ++i) {
        const bool blank = i == text.size() || text[i].isSpace();
        if (!blank && start < 0)
            start = i;
        if (blank && start >= 0) {
            word(start, i - start);
            start = -1;
        }
    }
    endStream();
}

} // namespace orasent::test
