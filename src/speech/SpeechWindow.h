#pragma once
// What the reader window may use of the speech setup window: the speak box, the idle indicator,
// StopVoice, and loading, showing and unloading the window. The reader reaches speech only
// through this.
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orasent {

class SpeechWindow {
public:
    virtual ~SpeechWindow() = default;

    // The speak box: text put here is spoken once the window is idle; a later text replaces an
    // earlier one that has not been taken yet.
    virtual QLineEdit* SPKBX() const = 0;
    // Enabled exactly while nothing is being spoken.
    virtual QPushButton* SpeakBtn() const = 0;
    // Drops whatever is being spoken or waiting in the engine; returns at once.
    virtual void StopVoice() = 0;

    // The window's load (hidden), made visible ("TTS Setup"), and its unload at program end.
    virtual void Form_Load() = 0;
    virtual void showWindow() = 0;
    virtual void Form_Unload() = 0;

    // The reader's sentence box, which the speech window's Help writes to.
    virtual void setReaderSentenceBox(QPlainTextEdit* text1) = 0;
};

} // namespace orasent
