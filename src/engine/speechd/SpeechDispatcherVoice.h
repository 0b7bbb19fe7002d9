#pragma once
// The desktop's speech-dispatcher behind the SpVoice interface (libspeechd, one resident
// connection).
//
// The connection is made on a thread of its own (autospawn may take seconds); the constructor
// waits for it at most kConnectWaitMs. A server that answers later adds its voices then
// (VoicesAdded); one that never answers leaves the voice list empty, without a message.
// Voices are listed per module as "Name (module)"; espeak-ng's variants ("Name+Variant") are left
// out where the plain voice is listed.
//
// Speak sends SSML with a <mark/> before each word; the marks come back as Word events.
// Rate r (-10..10) is sent as r*10 and volume v (0..100) as v*2-100, speech-dispatcher's
// -100..100 scales. A module that drops marks gives no Word events: every stream not yet known
// to give marks starts with a Sentence event over its whole text, which the follow-along shows
// until a word arrives. Formats, outputs and wave files are not this engine's.
#include "engine/SpVoice.h"
#include "engine/speechd/SsmlMarks.h"

#include <QHash>
#include <QMap>
#include <climits>
#include <memory>

namespace orasent {

class SpeechDispatcherVoice : public SpVoice {
    Q_OBJECT
public:
    static constexpr int kConnectWaitMs = 200;

    explicit SpeechDispatcherVoice(QObject* parent = nullptr, int connectWaitMs = kConnectWaitMs);
    ~SpeechDispatcherVoice() override;

    bool isConnected() const { return m_connection != nullptr; }

    SpObjectTokens GetVoices(const QString& = {}, const QString& = {}) override { return m_voices; }
    SpObjectTokens GetAudioOutputs(const QString& = {}, const QString& = {}) override { return {}; }
    SpObjectToken Voice() const override { return m_voice; }
    void setVoice(const SpObjectToken& voice) override;
    SpObjectToken AudioOutput() const override { return {}; }
    void setAudioOutput(const SpObjectToken&) override {
        throw SpeechError("speech-dispatcher chooses its own audio output");
    }
    int Rate() const override { return m_rate; }
    void setRate(int rate) override;
    int Volume() const override { return m_volume; }
    void setVolume(int volume) override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool) override {}
    int AudioOutputFormatType() const override { return 22; }
    void setAudioOutputFormatType(int) override {
        throw SpeechError("speech-dispatcher chooses its own audio format");
    }
    int Speak(const QString& text, int flags) override;
    QString SdkPath() const override { return {}; }
    bool audioSettingsApply() const override { return false; }

    // speech-dispatcher's scales for the interface's rate and volume.
    static int spdRate(int rate) { return qBound(-10, rate, 10) * 10; }
    static int spdVolume(int volume) { return qBound(0, volume, 100) * 2 - 100; }

    enum class Marks { Unknown, Given, Dropped };
    // What is known about a module's marks (from the streams it has spoken so far).
    Marks marksOf(const QString& module) const { return m_moduleMarks.value(module); }

private:
    struct Connecting;
    struct Utterance {
        int stream = 0;
        MarkedText marked;
        QString module;
        SpObjectToken voice;
        int lastMark = -1;
        bool marksSeen = false;
    };
    enum class Event { Begin, End, Mark, Cancel };

    void takeConnection();
    void onEvent(int msgId, Event event, const QByteArray& mark);
    void onBegin(const Utterance& u);
    void onMark(Utterance& u, const QByteArray& mark);
    void finish(const Utterance& u);
    void applySettings();
    int speakNothing(int stream);
    void waitFor(int stream);
    bool isLive(int stream) const;
    void releaseWaiters();

    friend struct SpeechDispatcherCallbacks;

    std::shared_ptr<Connecting> m_connecting;
    void* m_connection = nullptr; // SPDConnection*
    SpObjectTokens m_voices;
    QHash<QString, QString> m_moduleOf; // voice id -> module
    QHash<QString, QString> m_nameOf;   // voice id -> speech-dispatcher's voice name
    SpObjectToken m_voice;
    int m_rate = 0;
    int m_volume = 100;
    QString m_appliedVoice;
    int m_appliedRate = INT_MIN;
    int m_appliedVolume = INT_MIN;
    int m_lastStream = 0;
    int m_purgedThrough = 0;
    QMap<int, Utterance> m_utterances; // by message id
    QList<int> m_localStreams;         // streams with nothing to say, ending at once
    QHash<QString, Marks> m_moduleMarks;
    struct Waiter;
    QList<Waiter*> m_waiters;
};

} // namespace orasent
