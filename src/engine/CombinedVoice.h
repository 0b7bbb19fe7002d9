#pragma once
// One voice object over up to three engines: the voices of the first engine (espeak-ng) come
// first, in their own order, then those of the second (speech-dispatcher), then those of the
// third (Flite, which plays through the same audio path as the first). So a saved index of an
// espeak-ng or speech-dispatcher voice keeps its voice; speech-dispatcher's voices that arrive
// late come before the third engine's. Choosing a voice routes speech to its engine; rate and
// volume go to all; the audio format, the outputs and wave files are the first engine's, and
// the third one follows them. Stream numbers are the combined voice's own, rising over both
// engines, and a Speak that purges, or a stop, silences every engine that has spoken.
//
// While the second engine's service is away, its chosen voice stays chosen and its texts are
// spoken by the first engine's voice of the same language (their VoiceChange events are not
// raised, so a window that follows them keeps the chosen voice). When the service stops, Notice
// tells the user so, once per stop.
#include "engine/SpVoice.h"

#include <QHash>
#include <QSet>
#include <memory>

namespace orasent {

// The program's voice: espeak-ng, and speech-dispatcher's voices when a server answers.
std::unique_ptr<SpVoice> createDesktopVoice(QObject* parent = nullptr);

class CombinedVoice : public SpVoice {
    Q_OBJECT
public:
    // `second` and `third` may be null. Without a saved choice the third engine's clearest
    // voice of the first engine's language speaks (see clearestVoiceFor).
    CombinedVoice(std::unique_ptr<SpVoice> first, std::unique_ptr<SpVoice> second,
                  QObject* parent = nullptr, std::unique_ptr<SpVoice> third = nullptr);
    ~CombinedVoice() override;

    SpObjectTokens GetVoices(const QString& required = {}, const QString& optional = {}) override;
    SpObjectTokens GetAudioOutputs(const QString& required = {},
                                   const QString& optional = {}) override;
    SpObjectToken Voice() const override { return m_active->Voice(); }
    void setVoice(const SpObjectToken& voice) override;
    // An engine whose voice is no longer the chosen one is told so.
    void releaseVoice() override;
    SpObjectToken AudioOutput() const override { return m_first->AudioOutput(); }
    void setAudioOutput(const SpObjectToken& output) override;
    int Rate() const override { return m_first->Rate(); }
    void setRate(int rate) override;
    int Volume() const override { return m_first->Volume(); }
    void setVolume(int volume) override;
    void newDocument() override;
    void setAllowAudioOutputFormatChangesOnNextSet(bool allow) override;
    int AudioOutputFormatType() const override { return m_first->AudioOutputFormatType(); }
    void setAudioOutputFormatType(int type) override;
    void setAudioOutputToWaveFile(const QString& path) override;
    int Speak(const QString& text, int flags) override;
    void prepare(const QString& text, int flags) override;
    void stop() override;
    // Each engine keeps its own voice, and the chosen engine stays chosen.
    int SpeakWithVoice(const QString& text, int flags, const SpObjectToken& voice) override;
    QString LanguageOf(const SpObjectToken& voice) const override;
    QString inlineSounds(const QString& ipa) const override { return m_active->inlineSounds(ipa); }
    QString inlineSoundsWith(const SpObjectToken& voice, const QString& ipa) const override {
        const SpVoice* engine = engineOf(voice);
        // An engine of engines asks the one that owns the voice.
        return engine ? engine->inlineSoundsWith(voice, ipa) : m_active->inlineSounds(ipa);
    }
    bool isAvailable() const override { return m_active->isAvailable(); }
    bool audioSettingsApply() const override { return m_active->audioSettingsApply(); }
    QString SdkPath() const override { return m_first->SdkPath(); }

    // The first engine writes the files, with its own voice, also while the second speaks; the
    // third writes its own.
    SpObjectToken WaveFileVoice() const override {
        return m_active == m_third.get() ? m_third->Voice() : m_first->Voice();
    }
    SpVoice* firstEngine() const { return m_first.get(); }
    SpVoice* secondEngine() const { return m_second.get(); }
    SpVoice* thirdEngine() const { return m_third.get(); }

    static const char* const kStoppedNotice;
    static const char* const kFallbackNotice;

    // The third engine's clearest voice of the language, else the first engine's.
    SpObjectToken VoiceForLanguage(const QString& language) override;

private:
    // The engine that lists `voice`, or null.
    SpVoice* engineOf(const SpObjectToken& voice) const;
    void forward(SpVoice* engine);
    void stopEngines(const SpVoice* except);
    int speakFallback(const QString& text, int flags);
    void onSecondStopped();
    // The combined number of an engine's stream, or 0 for a stream that is not forwarded.
    int outerStream(SpVoice* engine, int inner);

    std::unique_ptr<SpVoice> m_first;
    std::unique_ptr<SpVoice> m_second;
    std::unique_ptr<SpVoice> m_third;
    SpVoice* m_active;
    QSet<SpVoice*> m_spoken; // engines given a text since the last stop
    int m_lastStream = 0;
    QHash<QPair<SpVoice*, int>, int> m_streams; // engine's stream -> combined stream
    QSet<int> m_borrowed; // combined streams spoken by a stand-in for the chosen voice
};

} // namespace orasent
