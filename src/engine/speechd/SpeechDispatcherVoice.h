#pragma once
// The desktop's speech-dispatcher behind the SpVoice interface (libspeechd, one resident
// connection whose calls all run on a thread of its own, see SpeechdLink).
//
// The constructor waits for the connection at most kConnectWaitMs. A server that answers later
// adds its voices then (VoicesAdded); one that never answers leaves the voice list empty.
// Voices are listed per module as "Name (module)"; espeak-ng's variants ("Name+Variant") are left
// out where the plain voice is listed.
//
// The connection is lost when the server closes the socket, a command fails, or the text being
// spoken has not begun within kBeginBoundMs (or makes no progress within a bound that grows with
// its words). Then every stream ends at once (EndStream), ServiceStopped is raised, and the voice
// connects again (autospawning the server) in the background, after 0.5 s and then ever longer
// up to 30 s, and at once on a Speak made while it is away. While away, Speak throws; the voices
// stay listed and the chosen one stays chosen. A server that returns raises ServiceRestored.
//
// Speak sends SSML with a <mark/> before each word; the marks come back as Word events.
// Rate r (-10..10) is sent as r*10 and volume v (0..100) as v*2-100, speech-dispatcher's
// -100..100 scales. A module that drops marks gives no Word events: every stream not yet known
// to give marks starts with a Sentence event over its whole text, which the follow-along shows
// until a word arrives. Formats, outputs and wave files are not this engine's.
#include "engine/SpVoice.h"
#include "engine/speechd/SpeechdLink.h"
#include "engine/speechd/SsmlMarks.h"

#include <QHash>
#include <QMap>
#include <QTimer>
#include <memory>

namespace orasent {

class SpeechDispatcherVoice : public SpVoice {
    Q_OBJECT
public:
    static constexpr int kConnectWaitMs = 200;
    static constexpr int kBeginBoundMs = 1800;
    static constexpr int kFirstRetryMs = 500;
    static constexpr int kLastRetryMs = 30000;

    explicit SpeechDispatcherVoice(QObject* parent = nullptr, int connectWaitMs = kConnectWaitMs);
    ~SpeechDispatcherVoice() override;

    // Connecting: the first attempt is under way. Lost: no connection, an attempt follows later
    // (or at the next Speak). Reconnecting: a later attempt is under way.
    enum class ConnectionState { Connecting, Connected, Lost, Reconnecting };
    Q_ENUM(ConnectionState)
    ConnectionState connectionState() const { return m_connection; }
    bool isConnected() const { return m_connection == ConnectionState::Connected; }
    bool isAvailable() const override { return isConnected(); }

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
    void stop() override;
    QString SdkPath() const override { return {}; }
    bool audioSettingsApply() const override { return false; }
    QString LanguageOf(const SpObjectToken& voice) const override {
        return m_languageOf.value(voice.Id());
    }

    // speech-dispatcher's scales for the interface's rate and volume.
    static int spdRate(int rate) { return qBound(-10, rate, 10) * 10; }
    static int spdVolume(int volume) { return qBound(0, volume, 100) * 2 - 100; }

    enum class Marks { Unknown, Given, Dropped };
    // What is known about a module's marks (from the streams it has spoken so far).
    Marks marksOf(const QString& module) const { return m_moduleMarks.value(module); }

signals:
    void connectionStateChanged(orasent::SpeechDispatcherVoice::ConnectionState state);

private:
    struct Utterance {
        int stream = 0;
        MarkedText marked;
        QString module;
        SpObjectToken voice;
        int lastMark = -1;
        bool begun = false;
        bool marksSeen = false;
    };
    struct Early {
        SpeechdEvent event;
        QByteArray mark;
    };

    void setConnectionState(ConnectionState state);
    bool isConnecting() const {
        return m_connection == ConnectionState::Connecting ||
               m_connection == ConnectionState::Reconnecting;
    }
    void connectNow();
    void onOpened(bool ok, const QList<ListedVoice>& voices);
    void addVoices(const QList<ListedVoice>& listed);
    void onLost();
    void retryLater();
    void onSaid(int stream, int msgId);
    void onEvent(int msgId, SpeechdEvent event, const QByteArray& mark);
    void onBegin(Utterance& u);
    void onMark(Utterance& u, const QByteArray& mark);
    void finish(const Utterance& u);
    int speakNothing(int stream);
    void watchOldest();
    bool isLive(int stream) const;

    std::shared_ptr<SpeechdLink> m_link; // null while Lost
    ConnectionState m_connection = ConnectionState::Connecting;
    int m_generation = 0; // of m_link: reports of an older link are dropped
    QTimer m_retry;
    int m_retryMs = kFirstRetryMs;
    QTimer m_watchdog;

    SpObjectTokens m_voices;
    QHash<QString, QString> m_moduleOf;   // voice id -> module
    QHash<QString, QString> m_nameOf;     // voice id -> speech-dispatcher's voice name
    QHash<QString, QString> m_languageOf; // voice id -> language
    SpObjectToken m_voice;
    int m_rate = 0;
    int m_volume = 100;
    int m_lastStream = 0;
    QMap<int, Utterance> m_pending;    // by stream: handed to the link, no message id yet
    QMap<int, Utterance> m_utterances; // by message id
    QMap<int, QList<Early>> m_early;   // events that came before their message id
    QList<int> m_localStreams;         // streams with nothing to say, ending at once
    QHash<QString, Marks> m_moduleMarks;
};

} // namespace orasent
