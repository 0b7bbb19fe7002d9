#pragma once
// What the reader window may use of the speech setup window: the speak box, the idle indicator,
// StopVoice, and loading, showing and unloading the window. The reader reaches speech only
// through this.
#include <QByteArray>
#include <QList>
#include <QString>
#include <memory>

class QPlainTextEdit;
class QWidget;

namespace orasent {

class PronunciationRules;

// What the speech window would speak with now, for work that speaks without it (an export).
struct SpeechChoice {
    QString voiceId;   // the Id of the voice that writes files (espeak-ng)
    QString voiceNote; // set when that is not the chosen voice: which one is used instead
    int rate = 0;
    int volume = 100;
    QString replacementList;
    std::shared_ptr<const PronunciationRules> pronunciation; // null: none
    bool bookLexicons = true;                                // a book's own lexicons apply to it
};

class SpeakingCore;

class SpeechWindow {
public:
    virtual ~SpeechWindow() = default;

    // Puts `text` into the speak box: it is spoken once the window is idle; a later text
    // replaces an earlier one that has not been taken yet.
    virtual void handOver(const QString& text) = 0;
    // The same, with the language slot beside the speak box set with it: the text is read by a
    // voice of `language` (BCP 47; "" for the chosen voice). `document` changes with the
    // document the text comes from: a language without a voice is announced once per document.
    virtual void handOverInLanguage(const QString& text, const QString& language, int document) {
        Q_UNUSED(language);
        Q_UNUSED(document);
        handOver(text);
    }
    // `text` is likely handed over next (for the chosen voice): the voice may get ready.
    virtual void prepareHandOver(const QString& text) { Q_UNUSED(text); }
    // The idle indicator (the Speak button's enabled state): true exactly while nothing is
    // being spoken.
    virtual bool isIdle() const = 0;
    // Drops whatever is being spoken or waiting in the engine; returns at once.
    virtual void StopVoice() = 0;
    // Moves the rate slider `delta` steps, as if the user had moved it: the voice takes the new
    // rate from its next text and the settings file keeps it. Returns the slider's value.
    virtual int stepRate(int delta) = 0;
    // The speaking logic behind the window, for following the handed-over text as it is heard.
    virtual SpeakingCore& speakingCore() = 0;
    // The chosen voice, rate, volume and replacement list.
    virtual SpeechChoice speechChoice() const { return {}; }
    // The chosen voice's name as the voice list shows it, and choosing a voice by that name as
    // the user would: the voice a document was read with.
    virtual QString chosenVoiceName() const { return QString(); }
    virtual void chooseVoiceByName(const QString& name) { static_cast<void>(name); }

    // The window's load (hidden), made visible ("TTS Setup"), and its unload at program end.
    virtual void loadWindow() = 0;
    virtual void showWindow() = 0;
    virtual void unloadWindow() = 0;

    // The document the reader reads now: its library key, language and the pronunciation
    // lexicons it carries (PLS), which apply to it while it is read.
    virtual void readingDocument(const QByteArray& key, const QString& language,
                                 const QList<QByteArray>& lexicons) {
        static_cast<void>(key);
        static_cast<void>(language);
        static_cast<void>(lexicons);
    }
    // The pronunciation rules editor, over `parent`, with type of `pointSize` (0: as it is).
    virtual void showPronunciationEditor(QWidget* parent, int pointSize) {
        static_cast<void>(parent);
        static_cast<void>(pointSize);
    }

    // The reader's sentence box, which the speech window's Help writes to.
    virtual void setReaderSentenceBox(QPlainTextEdit* text1) = 0;
};

} // namespace orasent
