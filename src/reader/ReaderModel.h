#pragma once
// The reading state of the reader window and every reader command that is not about widgets.
#include "documents/LoadedDocument.h"
#include "reader/DocumentLibrary.h"
#include "reader/ReaderLoadState.h"
#include "reader/ReaderPort.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

namespace orasent {

class ReaderModel : public QObject {
    Q_OBJECT
public:
    explicit ReaderModel(ReaderPort& port);

    // Reading state (window-level variables of the reader), kept in the state file.
    const QString& bookText() const { return m_bookText; }
    void setBookText(QString text) { m_bookText = std::move(text); }
    const QString& fileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }
    double nextPos() const { return m_nextPos; }
    void setNextPos(double position) { m_nextPos = position; }
    double lastPos() const { return m_lastPos; }
    void setLastPos(double position) { m_lastPos = position; }
    const std::array<double, 101>& bookMarks() const { return m_bookMarks; } // slots 1..100
    void setBookMarkAt(int slot, double position) { m_bookMarks.at(slot) = position; }
    int bookNum() const { return m_bookNum; }
    void setBookNum(int slot) { m_bookNum = slot; }
    int seconds() const { return m_seconds; } // the pause in whole seconds, 0..32
    void setSeconds(int seconds) { m_seconds = seconds; }
    int reservedNum() const { return m_reservedNum; }
    void setReservedNum(int value) { m_reservedNum = value; }

    // Continuous play: on, the pause timer steps from sentence to sentence.
    enum class PlayMode { Off, Continuous };
    PlayMode playMode() const { return m_playMode; }
    void setPlayMode(PlayMode mode);

    // The document being read, as it is read (notes dropped or kept); never null. Empty while
    // a new one is read in and when the last load failed. Contents, chapter steps, the media
    // player, the sleep timer and the export all ask it.
    std::shared_ptr<const LoadedDocument> loadedDocument() const { return m_loaded; }
    // Each sentence is handed over with the language of its paragraph (Tools > "Read in the
    // Document's Language"); off: everything goes to the chosen voice.
    bool readInDocumentLanguage() const { return m_readInDocumentLanguage; }
    void setReadInDocumentLanguage(bool on) { m_readInDocumentLanguage = on; }

    // Rebuilds BookText from FileName and hands over the instruction text; reports failure.
    // The file is read in the background: reading starts with its first part. False only when
    // the load was cancelled before it returned: BookText is then unchanged.
    bool OpenfF();

    // Loading (ReaderModelLoadState.cpp). One place, setState, changes the state.
    ReaderState state() const { return m_state; }
    // A load runs and its first part is in BookText: reading has begun, more is coming.
    bool readingWhileLoading() const { return m_load && m_load->begun; }
    // Reads `path` in the background. Until its first part arrives everything stays as it was
    // (a failure or Cancel then changes nothing); then FileName becomes `path` and, for a new
    // reading, the place and bookmarks start afresh. A later load replaces an earlier one.
    // False when it was cancelled before it returned.
    // `how` says what its arrival does with a known document's place (see DocumentArrival).
    bool beginLoad(const QString& path, bool newReading, DocumentArrival how);
    // Deliveries of the load `ticket`; those of a replaced or stopped load are ignored.
    void partArrived(int ticket, const QVector<Paragraph>& paragraphs);
    void loadProgressed(int ticket, int done, int total);
    void loadEnded(int ticket, DocumentLoad load);
    // Tools > Stop Loading: the load ends; what has arrived stays readable.
    void stopLoading();
    // Hands `text` over now, or while a load runs, when it ends or its reading begins, so that
    // the instruction text does not replace it.
    void sayBeforeReading(const QString& text);
    // A new text starts from its beginning without bookmarks (LastPos is kept).
    void startNewReading();
    // Tools > "Read Notes": when off, the documents loaded from now on are read without their
    // notes.
    void setReadNotes(bool on) { m_readNotes = on; }
    bool readNotes() const { return m_readNotes; }
    // Open File after the dialog returned `path` (not cancelled): type test (".TXT" anywhere,
    // upper-cased, or a readable document); accepted -> startNewReading(), showPathBox, FileName,
    // OpenfF; refused -> the spoken refusal. A cancelled load puts the previous file and place
    // back. The caller restores the working directory. Returns true if accepted.
    bool openChosenFile(const QString& path);
    // The file named on the command line, before the start-up load: the file of the saved state
    // resumes where it stopped; another one is opened by the start-up load as a new reading, and
    // when that fails or is cancelled the saved state's file is read instead. A refused one
    // leaves the saved state alone and its message is returned, to be handed over after the
    // start-up load. Nothing of the saved state changes before the file has arrived.
    QString openStartupFile(const QString& absolutePath);
    // The path box lost focus holding `typedPath`: an existing file -> FileName + OpenfF (place
    // kept); else the spoken message. Empty text and wildcard characters (* ? [) count as invalid.
    bool openTypedPath(const QString& typedPath);
    // After the state file was read: ReservedNum 0 becomes 1, and with no file name the first
    // run's "Tech Pool.txt" is named and shown in the path box.
    void applyFirstRunDefaults();
    static QString firstRunFileName();

    bool SayNextSentence(); // false when the end of the text was reached (nothing shown)
    void ReplayScan();
    void talk(int button); // mouse press on Talk: 1 left, 2 right, 4 middle
    void stop();           // Stop button
    void again();          // Again button
    void GetKey();         // a key that types a character, on the window/Text1/buttons
    // Waiting: a load runs and nothing (more) to step to has arrived yet.
    enum class TickOutcome { Off, Busy, EndOfText, Stepped, Waiting };
    TickOutcome
    timerTick(); // the pause-timer tick without its one-second wait; the caller waits after Stepped

    void setBookmark();
    void nextBookmark();
    void prevBookmark();
    void clearBookmarks();
    void SpreadBookmarks(); // "Set 25 Bookmarks"
    // A resumed place that is not where a sentence begins (a place saved by an earlier version,
    // whose text joined lines differently) moves back to the start of the sentence holding it.
    void alignToSentenceStart();
    // Start-up: the saved place is aligned once the next load has arrived whole.
    void alignPlaceAfterNextLoad() { m_startupLoadPending = true; }
    void ShowBookmark(); // beyond what has arrived: shown when it arrives

    // Question pools ("Tech Pool.txt" etc., working directory); false + message "<name> not
    // found" when missing.
    bool openPool(const QString& poolFileName);

    static QString helpMessage(); // the version line, CR LF, and the help text
    void help();                  // shows it in Text1 and hands it over

    // Places of the documents read (ReaderModelLibrary.cpp). Leaving a document keeps its place
    // in the library; arriving at a loaded one resumes it when asked to and it is known.
    LibraryStore& library() { return m_library; }
    void leaveDocument(bool quitting = false); // quitting: a failure is the last chance, said

    using Arrival = DocumentArrival;
    // Called when a load has ended with the whole document.
    bool arriveAtDocument(Arrival how);
    // Recent Documents: opens the entry's file like Open File; false when the file is gone.
    bool openLibraryEntry(const QByteArray& key);
    // Recent Documents' Remove: the document's place is forgotten.
    void forgetDocument(const QByteArray& key);
    // The current document's key; empty when none is loaded.
    const QByteArray& currentDocumentKey() const { return m_current.key; }

    // Contents and chapter steps (ReaderModelContents.cpp). Entries whose paragraph lies outside
    // the document are left out.
    struct Chapter {
        QString title;
        int level = 1;
        double position = 1; // 1-based in BookText
    };
    QVector<Chapter> chapters() const;
    // The chapter that 1-based `position` lies in, of the loaded document.
    std::optional<LoadedDocument::Chapter> chapterAt(double position) const;
    // The index in chapters() of the chapter being read; -1 before the first.
    int currentChapter() const;
    // Shows and speaks the chapter's first sentence as Talk would from there.
    void goToChapter(int index);
    void nextChapter();
    void previousChapter();
    void startOfDocument();
    static QString noChaptersMessage();

    // The pause dialog's entry: nullopt when outside 0..32 after rounding (the caller shows a
    // message, nothing changes).
    static std::optional<int> parseSeconds(const QString& entry);
    // The timer interval is Seconds x 1000 ms in a 16-bit count, so 32 is the longest pause.
    static constexpr int kMaxSeconds = 32;

    // `document` made from BookText, its paragraphs starting at `starts`, becomes the loaded
    // document (languages and contents as a load would give them).
    void setDocumentLanguages(const Document& document, const QVector<qsizetype>& starts);
    // The language of the text at 1-based `position`, its first non-blank character counting
    // ("" when the document declares none).
    QString languageAt(double position) const;
    int documentNumber() const { return m_documentNumber; }
    // The user changed the sentence box's text to `text` (CR LF line ends): Again speaks that.
    void sentenceEdited(const QString& text) { m_sentence = text; }

signals:
    // Another document is loaded (loadedDocument()), or the one being read in replaced it.
    void documentChanged();
    void playModeChanged(ReaderModel::PlayMode mode);
    void stateChanged(ReaderState state);

private:
    QString m_bookText;
    QString m_fileName;
    double m_nextPos = 0;
    double m_lastPos = 0;
    std::array<double, 101> m_bookMarks{}; // slots 1..100, 0 = free
    int m_bookNum = 0;
    int m_seconds = 0;
    int m_reservedNum = 1;
    PlayMode m_playMode = PlayMode::Off;
    bool m_readInDocumentLanguage = true;

    // The one place that changes the loaded document.
    void setLoadedDocument(std::shared_ptr<const LoadedDocument> loaded);
    std::shared_ptr<const LoadedDocument> m_loaded = std::make_shared<const LoadedDocument>();
    bool m_readNotes = true;
    // The sentence shown, as the model gave it (or as the user edited it); what is handed over.
    QString m_sentence;
    void showSentence(const QString& text);
    // Text1's text handed over, in the language of the sentence that starts at `position`.
    void handOverSentence(double position);
    void prepareNextSentence();

    int m_documentNumber = 0;

    // Why `path` cannot be opened (a line break in its name, which the state file cannot hold);
    // empty when it can.
    static QString unstorableNameMessage(const QString& path);

    // True when characters `position` and `position` + 1 (1-based) are ". ".
    bool boundaryAt(std::int64_t position) const;
    // The sentence that starts at NextPos (taken as 1 below 1), through its ". ", and the
    // position of that period; nothing when no ". " follows.
    struct SentenceCut {
        QString text;
        std::int64_t end = 0;
    };
    std::optional<SentenceCut> cutSentenceAtNextPos();
    // The 1-based last character of the sentence that starts at `position` (SentenceRule.h).
    std::int64_t sentenceEndAt(double position) const;
    // Goes to the nearest chapter after (or before) the one being read, or says there is none.
    void stepChapter(bool forward);
    // From a sentence start, the last sentence start at or before `position`.
    double sentenceStartBefore(double start, double position) const;
    double nearTextEnd(double position) const;
    std::optional<double> scanBackForBoundary(double start, double lowest) const;

    // What is known of the loaded document, for its place in the library.
    struct CurrentDocument {
        QByteArray key;
        QString path;
        QString title;
        QString voiceAtArrival;
        // A new reading keeps LastPos from the document before: until it changes, nothing of
        // this document was shown.
        bool lastPosInherited = false;
        double lastPosAtArrival = 0;
    };
    // What the first part of a load replaced; put back when that load then fails.
    struct LeftReading {
        QString fileName, bookText, sentence;
        double nextPos = 0, lastPos = 0;
        std::array<double, 101> bookMarks{};
        int bookNum = 0;
        CurrentDocument current;
        std::shared_ptr<const LoadedDocument> loaded;
    };
    std::optional<LeftReading> m_leftReading;
    void putBackLeftReading();
    void keepDocument(DocumentLoad& load);
    LibraryEntry entryForPlace() const;
    const LibraryEntry* knownPlace(const QString& path) const;
    void resumeAt(const LibraryEntry& entry);
    void saveLibrary(bool quitting = false);

    ReaderPort& m_port;
    LibraryStore m_library;
    CurrentDocument m_current;
    bool m_lastLoadOk = false;
    QString m_loadNotice;              // spoken before the reading starts, resumed or not
    QString m_startupPath;             // the command line's file, read instead of the saved one
    bool m_nextLoadFallsBack = false;  // taken by the next beginLoad
    bool m_startupLoadPending = false; // taken by the next beginLoad
    bool m_libraryFailureShown = false;
    // Loading (ReaderModelLoadState.cpp).
    void setState(ReaderState state);
    // A command given before the first part of a load arrived runs when it does: true if it
    // was put off.
    bool putOffUntilArrived(std::function<void()> command);
    // At the edge of what has arrived: remembers the step to take again when more comes.
    bool waitForMore(LoadInProgress::Waiting step);
    void startArrivedDocument(const QString& notice);
    // The load has ended with the whole document: its place in the library and in the text.
    void arriveAtLoadedDocument(const LoadInProgress& ending);
    // Set 25 Bookmarks while a load runs: said to wait, and run when the load ends.
    bool spreadWaitsForWholeText();
    void forgetWaitingSteps(); // Stop: no step is taken when more arrives
    void takeUpWaitingStep();
    void endLoad(DocumentLoad load);
    void reportLoadFailure(const DocumentLoad& load);
    void showLoadingStatus();

    ReaderState m_state = ReaderState::Idle;
    std::optional<LoadInProgress> m_load;
    int m_lastTicket = 0;
    int m_lastCancelledTicket = 0;
};

} // namespace orasent
