#pragma once
// What the reader keeps about a document being read in while the previous one stays in place.
#include <QString>
#include <QVector>
#include <functional>

namespace orasent {

// Whether the reader has a text, is reading one in, or reads; the speaking state (the speech
// window's idle flag) lies beside it.
enum class ReaderState { Idle, Loading, Reading };

// What arriving at a loaded document does with its place in the library.
enum class DocumentArrival {
    Resume,     // a known document goes back to its place; another one starts anew
    NewReading, // starts anew even when known
    KeepPlace,  // the place in the model is this document's (typed path, the saved state)
};

struct LoadInProgress {
    int ticket = 0;
    QString path;
    bool newReading = false; // start at the beginning, without bookmarks
    DocumentArrival arrival = DocumentArrival::KeepPlace;
    bool startup = false;         // the start-up load of the saved state's document
    bool fallBackToSaved = false; // the command line's file: on failure the saved one is read
    ReaderState stateBefore = ReaderState::Idle; // what Cancel returns to before any part came
    bool begun = false;                          // the first part is in BookText
    int done = 0;                                // pages or chapters read, of `total`
    int total = 0;
    QVector<qsizetype> starts;                    // where each arrived paragraph starts
    std::function<void()> commandBeforeFirstPart; // the latest command given meanwhile
    // At the edge of what has arrived: the step that is taken again when more comes.
    enum class Waiting { None, Sentence, Bookmark };
    Waiting waiting = Waiting::None;
    bool spreadWaiting = false; // Set 25 Bookmarks, run once the whole text is there
    QString sayFirst;           // spoken before the instruction text when reading begins
};

} // namespace orasent
