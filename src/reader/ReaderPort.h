#pragma once
#include "documents/DocumentLoader.h"

#include <QString>

namespace orasent {

// What the reader logic needs from its window and from the speech window.
class ReaderPort {
public:
    virtual ~ReaderPort() = default;
    virtual void StopVoice() = 0;                   // speech window's StopVoice
    virtual void handOver(const QString& text) = 0; // speech window's SPKBX text := text
    // The same, with the language slot beside SPKBX: read by a voice of `language` ("" for the
    // chosen voice); `document` changes with each document loaded.
    virtual void handOverInLanguage(const QString& text, const QString& language, int document) {
        Q_UNUSED(language);
        Q_UNUSED(document);
        handOver(text);
    }
    virtual bool speechIdle() const = 0;      // speech window's SpeakBtn enabled
    virtual QString sentenceText() const = 0; // Text1 text
    virtual void setSentenceText(const QString& text) = 0;
    virtual void focusSentenceBox() = 0;               // move keyboard focus to Text1
    virtual void showPathBox(const QString& path) = 0; // Text2 text := path
    virtual void showMessage(const QString& text) = 0; // message box, OK button, program title
    // Reads a text or document; the window runs it off its thread with progress and Cancel.
    virtual DocumentLoad loadText(const QString& path) { return loadDocument(path); }
};

} // namespace orasent
