#pragma once
// What the reading model asks of the windows around it: showing texts, handing them to speech
// and reading files in; the window implements it, and tests give a scripted one.
#include "documents/DocumentLoader.h"

#include <QString>

namespace orasent {

class ReaderModel;

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
    // The sentence a Talk would hand over next (to the chosen voice), for speech to get ready.
    virtual void prepareHandOver(const QString& text) { Q_UNUSED(text); }
    virtual bool speechIdle() const = 0; // speech window's SpeakBtn enabled
    virtual void setSentenceText(const QString& text) = 0;
    virtual void focusSentenceBox() = 0;               // move keyboard focus to Text1
    virtual void showPathBox(const QString& path) = 0; // Text2 text := path
    virtual void showMessage(const QString& text) = 0; // message box, OK button, program title
    // Reads a text or document at once.
    virtual DocumentLoad loadText(const QString& path) { return loadDocument(path); }
    // The name of the voice the speech window speaks with, and choosing one by that name (as
    // the user would); for the voice a document was read with.
    virtual QString voiceName() const { return QString(); }
    virtual void chooseVoice(const QString& name) { Q_UNUSED(name); }
    // Reads `path` for `model` and delivers, on this thread, its parts, its progress and its
    // end through model.partArrived, loadProgressed and loadEnded with `ticket`. The window
    // reads on a worker thread; this default reads at once with loadText.
    virtual void startLoad(const QString& path, int ticket, ReaderModel& model);
    // The load `ticket` is no longer wanted: stop it soon; what it still delivers is ignored.
    virtual void cancelLoad(int /*ticket*/) {}
    // A document has arrived whole and is the one read now; `key` is its library key.
    virtual void documentArrived(const QByteArray& /*key*/, const Document& /*document*/) {}
    // The status line under the path box ("Loading: page 3 of 40"); empty hides it.
    virtual void showLoadingStatus(const QString& /*text*/) {}
};

} // namespace orasent
