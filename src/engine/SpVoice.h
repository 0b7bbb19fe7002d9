#pragma once
// The speech engine as the rest of the program sees it: one voice object with its calls and
// events. The application gets the espeak-ng engine; tests get a scripted fake.
//
// Calls are made on the GUI thread. A call that fails throws SpeechError (the caller catches it,
// as the windows do); events are delivered on the GUI thread, never inside a call, and after a
// newer Speak() or a stop() no event of an older stream arrives. Speak() always returns at once:
// a caller that needs the text heard to its end goes on at the stream's EndStream.
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <stdexcept>

namespace orasent {

class SpeechError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Flags of Speak().
enum SpeechVoiceSpeakFlags : int {
    SVSFDefault = 0,          // speaks after what is queued (returns at once, like every Speak)
    SVSFlagsAsync = 1,        // returns at once (kept for callers that pass it)
    SVSFPurgeBeforeSpeak = 2, // running and queued speech is dropped first
    SVSFIsXML = 8,            // the text is SSML markup
};

// A voice or an audio output, as the engine enumerates them.
class SpObjectToken {
public:
    SpObjectToken() = default;
    SpObjectToken(QString id, QString description)
        : m_id(std::move(id)), m_description(std::move(description)) {}
    QString Id() const { return m_id; }
    QString GetDescription(int locale = 0) const {
        Q_UNUSED(locale);
        return m_description;
    }
    bool isNull() const { return m_id.isEmpty(); }
    bool operator==(const SpObjectToken& other) const { return m_id == other.m_id; }

private:
    QString m_id;
    QString m_description;
};
using SpObjectTokens = QList<SpObjectToken>;

class SpVoice : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SpVoice() override = default;

    // Token collections, in the same order on every call. The attribute filters are accepted
    // for compatibility with callers that pass them; an empty pair lists everything.
    virtual SpObjectTokens GetVoices(const QString& requiredAttributes = {},
                                     const QString& optionalAttributes = {}) = 0;
    virtual SpObjectTokens GetAudioOutputs(const QString& requiredAttributes = {},
                                           const QString& optionalAttributes = {}) = 0;

    virtual SpObjectToken Voice() const = 0;
    virtual void setVoice(const SpObjectToken& voice) = 0;
    virtual SpObjectToken AudioOutput() const = 0;
    virtual void setAudioOutput(const SpObjectToken& output) = 0;

    virtual int Rate() const = 0; // -10 .. 10
    virtual void setRate(int rate) = 0;
    virtual int Volume() const = 0; // 0 .. 100
    virtual void setVolume(int volume) = 0;

    virtual void setAllowAudioOutputFormatChangesOnNextSet(bool allow) = 0;
    // The output stream's format, a SpeechAudioFormatType value 4..39. Setting a format the
    // output refuses throws and changes nothing.
    virtual int AudioOutputFormatType() const = 0;
    virtual void setAudioOutputFormatType(int type) = 0;

    // Speaks text with SpeechVoiceSpeakFlags; returns the stream number (1, 2, ...).
    virtual int Speak(const QString& text, int flags) = 0;

    // Silences running and queued speech; no event of an earlier stream arrives afterwards.
    // Engines without a stop of their own speak a purging blank.
    virtual void stop() { Speak(QStringLiteral(" "), SVSFlagsAsync | SVSFPurgeBeforeSpeak); }
    // A hint: `text` is likely spoken next with `flags`. An engine may get the start of its
    // speech ready while it has nothing else to do; nothing is heard and no event is raised.
    virtual void prepare(const QString& text, int flags) {
        Q_UNUSED(text);
        Q_UNUSED(flags);
    }
    // Another document is being read: what the engine tells once per document (a script it
    // hands to another voice) it tells again.
    virtual void newDocument() {}

    // Another engine's voice is chosen now: the engine may let go of what it holds for its own
    // voices (a helper process) until it is asked to speak again.
    virtual void releaseVoice() {}

    // Speaks with `voice` instead of the chosen one, which stays chosen (the Voice() afterwards
    // is the one before).
    virtual int SpeakWithVoice(const QString& text, int flags, const SpObjectToken& voice) {
        const SpObjectToken chosen = Voice();
        setVoice(voice);
        try {
            const int stream = Speak(text, flags);
            setVoice(chosen);
            return stream;
        } catch (...) {
            setVoice(chosen);
            throw;
        }
    }

    // Sends later speech into a WAV file at `path` (created or truncated) in the current
    // output format instead of the audio output; an empty path closes the file and goes back to
    // the audio output. While a file is open its format cannot change. Engines that cannot
    // write files throw SpeechError.
    virtual void setAudioOutputToWaveFile(const QString& path) {
        Q_UNUSED(path);
        throw SpeechError("this engine cannot write wave files");
    }

    // Whether the audio format, the audio output and wave files apply to the chosen voice (an
    // engine that plays through a server of its own ignores them).
    virtual bool audioSettingsApply() const { return true; }
    // The voice that speaks into wave files (the chosen one, unless its engine cannot write them).
    virtual SpObjectToken WaveFileVoice() const { return Voice(); }

    // The language a voice speaks, as a BCP 47 tag ("en-US", "fr"), or "" when unknown.
    virtual QString LanguageOf(const SpObjectToken& voice) const {
        Q_UNUSED(voice);
        return {};
    }
    // The engine's own voice for a language ("fr-CA", else any "fr"), or a null token. An engine
    // of several engines answers with its first one's (espeak-ng's).
    virtual SpObjectToken VoiceForLanguage(const QString& language) {
        const QString wanted = language.toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
        const QString primary = wanted.section(QLatin1Char('-'), 0, 0);
        SpObjectToken samePrimary;
        if (primary.isEmpty())
            return samePrimary;
        for (const SpObjectToken& voice : GetVoices()) {
            const QString tag =
                LanguageOf(voice).toLower().replace(QLatin1Char('_'), QLatin1Char('-'));
            if (tag == wanted)
                return voice;
            if (samePrimary.isNull() && tag.section(QLatin1Char('-'), 0, 0) == primary)
                samePrimary = voice;
        }
        return samePrimary;
    }
    // The voice's inline form of `ipa` (IPA sounds) inside a spoken text; "" when it cannot
    // say them (the rule's alias or the word as written is read instead).
    virtual QString inlineSounds(const QString& ipa) const {
        Q_UNUSED(ipa);
        return {};
    }
    // The inline form of `ipa` when `voice` (one of GetVoices()) speaks instead of the chosen
    // one; an engine of one kind says sounds alike for all its voices.
    virtual QString inlineSoundsWith(const SpObjectToken& voice, const QString& ipa) const {
        Q_UNUSED(voice);
        return inlineSounds(ipa);
    }
    // False while the engine's service is away (see ServiceStopped).
    virtual bool isAvailable() const { return true; }

    // The folder that holds the "samples/common" sample texts, ending in "/", or "" when none.
    // It plays the part of the speech SDK's "SDKPath" setting.
    virtual QString SdkPath() const = 0;

signals:
    void StartStream(int streamNumber, const QVariant& streamPosition);
    void EndStream(int streamNumber, const QVariant& streamPosition);
    // Pos and Length: 0-based offset and length in UTF-16 units into the text given to Speak.
    void Word(int streamNumber, const QVariant& streamPosition, int pos, int length);
    void Sentence(int streamNumber, const QVariant& streamPosition, int pos, int length);
    void VoiceChange(int streamNumber, const QVariant& streamPosition,
                     const orasent::SpObjectToken& token);
    // Voices were appended at the end of GetVoices(); the earlier ones keep their places.
    void VoicesAdded();
    // The service behind the engine went away (its streams have ended) or came back.
    void ServiceStopped();
    void ServiceRestored();
    // Something the user should hear about the engine itself (a service that went away).
    void Notice(const QString& text);
    // Declared for completeness; the engines here never raise them.
    void Bookmark(int streamNumber, const QVariant& streamPosition, const QVariant& bookmark,
                  int bookmarkId);
    void EnginePrivate(int streamNumber, const QVariant& streamPosition, const QVariant& lParam);
    void Phoneme(int streamNumber, const QVariant& streamPosition, int duration, int nextPhoneId,
                 int feature, int currentPhoneId);
    void Viseme(int streamNumber, const QVariant& streamPosition, int duration, int visemeType,
                int feature, int visemeId);
};

} // namespace orasent

Q_DECLARE_METATYPE(orasent::SpObjectToken)
