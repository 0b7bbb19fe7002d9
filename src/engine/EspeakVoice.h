#pragma once
// The espeak-ng speech engine behind the SpVoice interface.
//
// espeak-ng runs in synchronous mode on one worker thread; its audio is converted to the chosen
// format and handed by the GUI thread to the output (a device's sink lives on the audio thread).
// The GUI thread raises the events, each one when the output has played up to it. Voices are
// espeak-ng's, the voice of the user's locale (LANG) first; audio outputs are Qt Multimedia's, the
// system default first, as AudioOutputs keeps them.
//
// Rate r (-10..10) speaks at 175 * 3^(r/10) words per minute. espeak-ng goes no slower than
// 80 wpm, so below that (r = -8 .. -10) words keep their 80 wpm length and longer pauses
// between them bring the pace down; above 450 wpm espeak-ng speeds up with its sonic stage.
#include "engine/SpVoice.h"

#include <functional>
#include <memory>

namespace orasent {

class PcmOutput;
class StreamPlayer;
class SynthesisBackend;
struct SynthesisJob;
class WaveFileWriter;

std::unique_ptr<SpVoice> createEspeakVoice(QObject* parent = nullptr);
// The voices as the espeak-ng voice lists them (GetVoices), without a voice object or an audio
// device: a token's Id is espeak-ng's voice identifier.
SpObjectTokens espeakVoiceTokens();
// The language of one of them ("en-US"), or "".
QString espeakLanguageOf(const QString& identifier);

class EspeakVoice : public SpVoice {
    Q_OBJECT
public:
    explicit EspeakVoice(QObject* parent = nullptr);
    ~EspeakVoice() override;

    SpObjectTokens GetVoices(const QString& requiredAttributes = {},
                             const QString& optionalAttributes = {}) override;
    SpObjectTokens GetAudioOutputs(const QString& requiredAttributes = {},
                                   const QString& optionalAttributes = {}) override;
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
    void setAudioOutputToWaveFile(const QString& path) override;
    int Speak(const QString& text, int flags) override;
    void prepare(const QString& text, int flags) override;
    void stop() override;
    QString SdkPath() const override;
    QString LanguageOf(const SpObjectToken& voice) const override;
    QString inlineSounds(const QString& ipa) const override;

    // Words per minute for a rate of -10..10.
    static int wordsPerMinute(int rate);
    // The folder holding "samples/common" next to the program or in the source tree, or "".
    static QString findSampleFolder();

    // --- seams for tests and benchmarks ---
    // Every later stream plays into an output made by this factory instead of a device or file.
    void setOutputFactory(std::function<std::unique_ptr<PcmOutput>()> factory);
    // How long an output may play nothing before its stream is ended (default 1500 ms).
    void setStallTimeout(int ms);
    bool isIdle() const;

protected:
    // A voice of another synthesis thread with the same audio path (Flite's).
    EspeakVoice(SynthesisBackend& backend, SpObjectTokens voices, QObject* parent);

private:
    std::unique_ptr<PcmOutput> makeOutput();
    SynthesisJob jobFor(const QString& text, int flags) const;

    std::unique_ptr<StreamPlayer> m_player;
    SynthesisBackend* m_worker;
    SpObjectTokens m_voices;
    SpObjectToken m_voice;
    SpObjectToken m_output;
    int m_rate = 0;
    int m_volume = 100;
    int m_formatType = 22;
    bool m_allowFormatChanges = true;
    std::shared_ptr<WaveFileWriter> m_wave;
    std::function<std::unique_ptr<PcmOutput>()> m_outputFactory;
    int m_lastStream = 0;
};

} // namespace orasent
