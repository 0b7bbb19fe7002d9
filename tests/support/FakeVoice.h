#pragma once
// A scripted engine for tests: it records every call and raises an event only when the test
// asks for it. No timers, no threads.
#include "engine/SpVoice.h"

#include <QHash>
#include <QStringList>

namespace orasent::test {

class FakeVoice : public SpVoice {
    Q_OBJECT
public:
    struct SpeakCall {
        QString text;
        int flags = 0;
        int stream = 0;
        SpObjectToken voice; // the voice at the call
    };

    explicit FakeVoice(QObject* parent = nullptr);

    SpObjectTokens GetVoices(const QString& = {}, const QString& = {}) override;
    SpObjectTokens GetAudioOutputs(const QString& = {}, const QString& = {}) override;
    SpObjectToken Voice() const override { return m_voice; }
    void setVoice(const SpObjectToken& voice) override;
    SpObjectToken AudioOutput() const override { return m_output; }
    void setAudioOutput(const SpObjectToken& output) override;
    int Rate() const override { return m_rate; }
    void setRate(int rate) override;
    int Volume() const override { return m_volume; }
    void setVolume(int volume) override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override {
        m_allowFormatChanges = allow;
    }
    int AudioOutputFormatType() const override { return m_formatType; }
    void setAudioOutputFormatType(int type) override;
    int Speak(const QString& text, int flags) override;
    void prepare(const QString& text, int flags) override {
        prepared << SpeakCall{text, flags, 0, m_voice};
    }
    // Recorded only: the test raises (or holds back) whatever events it wants.
    void stop() override;
    QString SdkPath() const override { return m_sdkPath; }
    QString LanguageOf(const SpObjectToken& voice) const override {
        return languages.value(voice.Id());
    }
    bool isAvailable() const override { return available; }

    // --- script ---
    SpObjectTokens voices{{QStringLiteral("voice/en-us"), QStringLiteral("English (America)")},
                          {QStringLiteral("voice/en"), QStringLiteral("English (Great Britain)")},
                          {QStringLiteral("voice/de"), QStringLiteral("German")}};
    SpObjectTokens outputs{{QStringLiteral("output/null"), QStringLiteral("Null Output")}};
    QHash<QString, QString> languages{{QStringLiteral("voice/en-us"), QStringLiteral("en-US")},
                                      {QStringLiteral("voice/en"), QStringLiteral("en-GB")},
                                      {QStringLiteral("voice/de"), QStringLiteral("de")}};
    bool available = true;           // the service behind the engine answers
    QList<int> refusedFormatTypes;   // setAudioOutputFormatType() throws for these
    bool failSpeak = false;          // Speak() throws
    bool failSetVoice = false;       // setVoice() throws
    bool failSetAudioOutput = false; // setAudioOutput() throws
    QString m_sdkPath;

    QList<SpeakCall> calls;    // every Speak(), in order
    QList<SpeakCall> prepared; // every prepare(), in order
    QList<int> stops;          // per stop(): how many Speak() calls came before it
    QStringList log;           // every call by name, e.g. "setRate(-3)"
    bool allowFormatChanges() const { return m_allowFormatChanges; }
    int currentStream() const { return m_stream; }
    QString lastText() const { return calls.isEmpty() ? QString() : calls.constLast().text; }

    // Raise events of the current stream (or of an explicit one).
    void startStream(int stream = 0);
    void word(int pos, int length, int stream = 0);
    void sentence(int pos, int length, int stream = 0);
    void endStream(int stream = 0);
    void voiceChange(const SpObjectToken& token, int stream = 0);
    // StartStream, a Word event per blank-separated word of the last text, EndStream.
    void speakThrough();

private:
    int streamOr(int stream) const { return stream ? stream : m_stream; }
    SpObjectToken m_voice;
    SpObjectToken m_output;
    int m_rate = 0;
    int m_volume = 100;
    int m_formatType = 22;
    bool m_allowFormatChanges = true;
    int m_stream = 0;
};

} // namespace orasent::test
