#pragma once
// The speaking logic behind the speech window, free of widgets: the speak box slot, the word
// replacement list and its step, the speaking state, the pickup (on the one-second tick and as
// soon as the event loop is free) and the filter that drops the events of older streams. It
// reaches the engine only through SpVoice; the windows mirror its state in their controls.
#include "engine/SpVoice.h"
#include "speech/PronunciationRules.h"
#include "speech/SpeechRequest.h"
#include "speech/TextEdits.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <functional>
#include <memory>

namespace orasent {

// The voice a handed-over text is read with, chosen for its language: null for the chosen
// voice; `notice` is said before the text (a language without a voice).
struct LanguageChoice {
    SpObjectToken voice;
    QString notice;
};

class SpeakingCore : public QObject {
    Q_OBJECT
public:
    // Idle: nothing of ours is heard. Speaking: the newest text is with the engine. Stopping:
    // the engine has been stopped; the end is told once the event loop is free, unless a text
    // handed over meanwhile is spoken first (Talk goes from one sentence to the next without
    // passing through idle).
    enum class State { Idle, Speaking, Stopping };
    Q_ENUM(State)
    // The window's part: texts handed over are taken only while it is loaded.
    enum class Phase { NotLoaded, Loaded, Unloaded };

    using VoiceChooser = std::function<LanguageChoice(const QString& language, int document)>;

    explicit SpeakingCore(QObject* parent = nullptr);

    // The voice whose Start, Word and End events drive the state; null speaks nothing.
    void setVoice(SpVoice* voice);
    SpVoice* voice() const { return m_voice; }
    void setSpeakFlags(int flags) { m_speakFlags = flags; }
    int speakFlags() const { return m_speakFlags; }

    // The tick runs from start() (the window's load) to stop() (its unload); a text handed over
    // before start() is taken as soon as the event loop is free after it.
    void start();
    void stop();
    QTimer* timer() { return &m_timer; }

    // The hand-over: `request` takes the speak box slot with its language, to be spoken once
    // nothing stands in the way.
    void handOver(const SpeechRequest& request);
    // `text` is likely handed over next, for the chosen voice: the voice gets the text a pickup
    // would give it, to have its start ready. Nothing is shown, told or heard.
    void prepareHandOver(const QString& text);

    // The speak box: a single slot; a later text replaces one not yet taken.
    QString speakBoxText() const { return m_speakBox; }
    void setSpeakBoxText(const QString& text);
    // The language slot beside the speak box: the language of the text put in next (BCP 47, ""
    // for the chosen voice) and the document it comes from. Taken and emptied with the box.
    void setSpeakBoxLanguage(const QString& language, int document);
    QString speakBoxLanguage() const { return m_speakBoxLanguage; }
    void setVoiceChooser(VoiceChooser chooser) { m_voiceChooser = std::move(chooser); }

    QString replacementList() const { return m_replacementList; }
    void setReplacementList(const QString& list) { m_replacementList = list; }
    // The one rewriting step of every text spoken: the word replacement list, each replacement
    // recorded in `edits`. Runs straight through, without letting other events in.
    QString applyReplacements(const QString& text, TextEdits* edits = nullptr) const;

    // The pronunciation rules, applied right after the replacement list.
    void setPronunciation(std::shared_ptr<const PronunciationRules> rules);
    std::shared_ptr<const PronunciationRules> pronunciation() const { return m_pronunciation; }
    // The document being read: its library key, its language and its own lexicons' rules (null:
    // none, or turned off). Texts from the speak box are read with them.
    void setDocumentPronunciation(const QByteArray& documentKey, const QString& language,
                                  std::shared_ptr<const PronunciationRules> bookRules);
    // The replacement step, then the pronunciation rules for `language` ("" for the document's,
    // else the voice's); `written` is the text before the upper-case step, for matching case.
    // `inDocument`: the text comes from the document being read.
    // `speaker`: the voice that will say it when not the chosen one (its form of sounds).
    // `tell`: a rule's notice is emitted (not for text that is only being got ready).
    QString rewriteForSpeech(const QString& text, const QString& written, const QString& language,
                             bool inDocument, TextEdits* edits = nullptr,
                             const SpObjectToken& speaker = {}, bool tell = true) const;
    // The pronunciation rules alone, the second half of rewriteForSpeech.
    QString applyPronunciationRules(const QString& text, const QString& written,
                                    const QString& language, bool inDocument,
                                    TextEdits* edits = nullptr, const SpObjectToken& speaker = {},
                                    bool tell = true) const;
    // How the rules speak in `language` now: the voice's inline sounds, markup or not.
    SpeechContext speechContext(const QString& language, bool inDocument,
                                const SpObjectToken& speaker = {}) const;

    State state() const { return m_state; }
    // Speaking or stopping: the window shows itself busy.
    bool isSpeaking() const { return m_state != State::Idle; }
    // Speaking or idle; announced also when it stays the same.
    void applySpeakingState(bool speaking);

    // Hands `text` to the engine with the speak flags; an empty text does nothing. Speaking on
    // success, idle when the engine refuses.
    void speak(const QString& text);
    // The speech window's own text (its main box) read with the pronunciation rules for every
    // document and the voice's language; the word list is not applied again. Its words arrive
    // as wordSpoken at their places in `text`.
    void speakWithRules(const QString& text);
    // The engine's stop: whatever is being spoken or waiting is dropped, and nothing of it is
    // heard or followed afterwards. Stopping until the event loop is free.
    void stopVoice();
    // Speaks after whatever is being spoken, returning at once; a failure is ignored.
    void speakAfterCurrent(const QString& text);

    // Word help's own speech (SpeakingCoreAside.cpp): `text` said apart from the reader's
    // hand-over, whose speak box and language slot stay as they are, through the same rewriting
    // step and the voice for `language`, at `rate` (-10 .. 10) for this text only. Its words
    // arrive as asideWordHeard; asideEnded when it ends or something else is spoken. False when
    // nothing was given to the engine.
    bool speakAside(const QString& text, const QString& language, int rate);

    // One tick: the pickup when the box holds text and nothing stands in its way, else
    // tickedWithoutPickup (the window's clipboard monitor).
    void tick();

    // Marks a step under way (a pickup's rewriting, the clipboard monitor's): a tick or pickup
    // reached from inside it, through a signal it raises, waits for the next chance instead of
    // nesting.
    class Step {
    public:
        explicit Step(SpeakingCore& core) : m_core(core) { m_core.m_stepRunning = true; }
        ~Step() { m_core.m_stepRunning = false; }
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        SpeakingCore& m_core;
    };

signals:
    void speakBoxTextChanged(const QString& text);
    void stateChanged(orasent::SpeakingCore::State state);
    // Speaking or idle, on every change of the engine's streams (a stop is told when it ends).
    void speakingStateApplied(bool speaking);
    // The text a pickup is about to speak (upper case, replaced, as a plain text box holds it).
    void spokenTextChanged(const QString& text);
    // A pickup has given its text to the engine, or found it could not.
    void pickupDone();
    // A word of the newest stream, as offsets into the text given to the engine.
    void wordSpoken(int pos, int length);
    // The newest stream ended; the idle state follows.
    void streamEnded();
    void tickedWithoutPickup();
    // Follow-along for texts taken from the speak box: the word heard as a span of the text as
    // it was handed over (length 0: a word that came from nothing there). Until a stream's first
    // word, its sentence events stand in: an engine without word events shows the sentence.
    void handedOverWordHeard(const QString& handedOver, int start, int length);
    // The text taken from the speak box is no longer being heard: ended, stopped or replaced.
    void handedOverSpeechEnded();
    // The voice's VoiceChange, except for texts read by a voice chosen for their language.
    void chosenVoiceChange(int stream, const QVariant& position,
                           const orasent::SpObjectToken& token);
    // A notice of the engine that could not be spoken.
    void noticeUnspoken(const QString& text);
    // A word of the text given to speakAside, as a span of that text.
    void asideWordHeard(int start, int length);
    void asideEnded();
    // A pronunciation rule was skipped (a pattern past its effort limit); said once per rule.
    void pronunciationNotice(const QString& text) const;

private:
    struct Following {
        int stream = 0; // 0: nothing followed
        QString handedOver;
        TextEdits edits;
        bool wordHeard = false;
    };

    void setState(State state);
    void finishStop();
    bool canTakeSpeakBox() const;
    bool mayPickUp() const;
    void onNotice(const QString& text);
    bool speakPendingNotice();
    int speakIn(const QString& text, const SpObjectToken& voice);
    void onVoiceChange(int stream, const QVariant& position, const SpObjectToken& token);
    void queuePickup();
    void runPickup();
    void prepareNow();
    void speakFollowing(const QString& text, Following following, const SpObjectToken& voice = {});
    void endFollowing();
    // Events of any stream but the newest one spoken are stale, and all of them after a stop.
    bool isStale(int stream) const { return m_lastStream == 0 || stream != m_lastStream; }
    void onStartStream(int stream, const QVariant& position);
    void onWord(int stream, const QVariant& position, int pos, int length);
    void onSentence(int stream, const QVariant& position, int pos, int length);
    void followHeard(int pos, int length);
    void onEndStream(int stream, const QVariant& position);
    void endAside();
    bool hasPronunciation(bool inDocument) const;

    QPointer<SpVoice> m_voice;
    int m_speakFlags = 0;
    QString m_speakBox;
    QString m_speakBoxLanguage;
    QString m_toPrepare; // got ready once the speak box's text is spoken
    int m_speakBoxDocument = 0;
    VoiceChooser m_voiceChooser;
    QString m_pendingNotice;
    int m_borrowedStream = 0; // the newest stream when a voice for its language reads it
    QString m_replacementList;
    std::shared_ptr<const PronunciationRules> m_pronunciation;
    std::shared_ptr<const PronunciationRules> m_bookPronunciation;
    QByteArray m_documentKey;
    QString m_documentLanguage;
    State m_state = State::Idle;
    int m_lastStream = 0; // what the newest Speak returned; 0 once stopped
    Following m_following;
    Following m_aside;   // word help's text while it is heard
    int m_ownStream = 0; // the newest stream when speakWithRules rewrote its text
    TextEdits m_ownEdits;
    QTimer m_timer;
    Phase m_phase = Phase::NotLoaded;
    bool m_pickupQueued = false;
    bool m_stepRunning = false;
};

} // namespace orasent
