#pragma once
// The reader window "Read Text": the sentence box, the path box, eleven big buttons, the pause
// timer and the menu bar. It shows what the reading model decides and hands its texts to the
// speech window.
#include "common/ProgramFiles.h"
#include "common/WindowLifecycle.h"
#include "reader/DocumentLoadJob.h"
#include "reader/ReaderModel.h"
#include "reader/ReaderPort.h"
#include "reader/ui/FollowAlong.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

class QKeyEvent;

namespace orasent {

class ReaderStatusLine;
class AccessibleNotice;
class MenuBarAltGuard;
class ScreenReading;
class SleepTimerMenu;
class SecondsF;
struct ReadingLook;
struct ExportChoice;
struct ExportRequest;
class SpeechWindow;
class UserPrompts;
struct ReaderLayout;
class Syllables;
class MeaningLookup;
class WordHelpModel;
class WordHelp;

class EnglishF : public QMainWindow, private ReaderPort {
    Q_OBJECT
public:
    EnglishF(SpeechWindow& tts, UserPrompts& prompts, QWidget* parent = nullptr);
    ~EnglishF() override;

    // Restores the saved reading state, lays the window out over the screen, loads the speech
    // window and the text file. Call once, before the window is shown.
    void loadWindow();

    // What "Export to Audio..." hands the export for `choice`: the loaded document as it is
    // read, its cover and the reader's colours, with the speech window's voice.
    ExportRequest exportRequest(const ExportChoice& choice) const;

    ReaderModel& model() { return m_model; }
    const ReaderModel& model() const { return m_model; }
    UserPrompts& prompts() { return m_prompts; } // the boxes and dialogs of its windows

    // The pause timer's tick: one continuous-play step, then the hand-over wait.
    void onPauseTick();
    // The longest wait after a continuous-play step for the speech window's pickup to take the
    // sentence (its own timer looks once a second); the pickup ends it sooner. Milliseconds.
    void setHandOverWait(int milliseconds) { m_handOverWaitMs = milliseconds; }
    bool isInHandOverWait() const;
    // A pause of 0 chosen in the Seconds dialog: continuous play does not wait between sentences.
    bool hasNoPause() const { return m_noPause; }

    // The pause dialog while it is shown, else null.
    SecondsF* pauseDialog() const;

    // The follow-along band in Text1: on or off, and its colour.
    const FollowAlongSettings& followAlong() const { return m_followAlong; }
    void setFollowAlong(const FollowAlongSettings& settings);

    // "Read from Screen" (Tools menu), for tests that drive it.
    ScreenReading* screenReading() const { return m_screenReading; }
    // The status line under the path box, and "Stop Reading After…" (Tools menu).
    ReaderStatusLine* statusLine() const { return m_statusLine; }
    SleepTimerMenu* sleepTimer() const { return m_sleepTimer; }

    // How a file becomes BookText (loadDocument unless a test says otherwise), called on a thread
    // of its own (EnglishFLoading.cpp).
    using DocumentLoaderFunction = DocumentLoadJob::Loader;
    void setDocumentLoader(DocumentLoaderFunction loader);
    // Off: loads run at once on the window's thread, for tests that do not drive the threads.
    void setLoadingInBackground(bool background) {
        m_loadMode = background ? DocumentLoadJob::Mode::Background : DocumentLoadJob::Mode::AtOnce;
    }

    // The file named on the command line, as an absolute path; call before loadWindow.
    void setStartupFile(const QString& absolutePath) { m_startupFile = absolutePath; }

    // The sentence box's typeface, spacing and colours and the band's mode (EnglishFLook.cpp).
    void applyReadingLook(const ReadingLook& look);
    const ReadingLook& readingLook() const;

    // "Screen reader speaks the sentences" (Tools): texts are announced to the screen reader
    // instead of being handed to the speech window (EnglishFScreenReader.cpp).
    bool screenReaderSpeaks() const { return m_screenReaderSpeaks; }
    void setScreenReaderSpeaks(bool on);
    // The text of the last announcement, capped as the screen reader got it.
    QString lastAnnouncement() const;

    // The state file, in the working directory.
    static QString stateFileName() { return files::readingState(); }

    // "Word Help" for a word picked in Text1 (EnglishFWordHelp.cpp); null until first opened.
    void openWordHelp(const QString& word);
    WordHelp* wordHelp() const;

    WindowLifecycle lifecycle() const { return m_lifecycle; }

signals:
    void lifecycleChanged(orasent::WindowLifecycle lifecycle);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The "Tools" menu, between "Seconds " and "Help": the reading features past the design.
    QMenu* toolsMenu() const { return m_toolsMenu; }

private:
    // ReaderPort: the widgets and the speech window as the reading model sees them.
    void StopVoice() override;
    void handOver(const QString& text) override;
    void handOverInLanguage(const QString& text, const QString& language, int document) override;
    void prepareHandOver(const QString& text) override;
    bool speechIdle() const override;
    QString sentenceText() const; // Text1's text, line ends as CR LF
    void setSentenceText(const QString& text) override;
    void focusSentenceBox() override;
    void showPathBox(const QString& path) override;
    void showMessage(const QString& text) override;
    QString voiceName() const override; // EnglishFLibrary.cpp
    void chooseVoice(const QString& name) override;
    void startLoad(const QString& path, int ticket, ReaderModel& model) override;
    void cancelLoad(int ticket) override;
    void showLoadingStatus(const QString& text) override;

    // Loading (EnglishFLoading.cpp): the jobs, the status line and Tools > Stop Loading.
    void forgetLoadJob(DocumentLoadJob* job);
    void stopLoadJobs(bool wait); // asks every load to stop; `wait` waits for their threads
    std::function<std::optional<QString>(bool again)> passwordAsker();
    void addStopLoading();

    void createControls();
    void createButtons(QWidget* client); // Command1 .. Command11, in tab order, connected
    void createMenus();
    void addExportCommand(); // EnglishFExport.cpp: "Export to Audio..." in the Tools menu
    void exportToAudio();
    void startExport(const ExportChoice& choice);
    void addReadFromScreen(); // EnglishFScreen.cpp
    void addReadNotes();      // EnglishFNotes.cpp: "Read Notes" in the Tools menu
    void addScreenReaderTools();
    bool handsOverToScreenReader() const;
    void applyLayout(const ReaderLayout& layout, double dotsPerInch);
    void restoreState();
    void unloadWindow();
    // Timer1 runs every `seconds` seconds; 0 means no pause: the next sentence follows as soon
    // as the voice has finished.
    void setPauseInterval(int seconds);
    void onSpeakingStateApplied(bool speaking);
    void changeTypeSize(double deltaPoints);
    bool countsForGetKey(QObject* watched) const;
    bool takenForWordMark(QObject* watched, const QKeyEvent& event) const;

    // Follow-along (EnglishFFollow.cpp): the band behind the word being heard.
    void followSpeech();
    void showHeardWord(const QString& handedOver, int start, int length);
    void clearBand();
    // Text1 is painted once the voice has its text: painting a sentence in very large type
    // takes longer than the voice needs to start.
    void holdSentencePaint();
    void releaseSentencePaint();
    enum class SentencePaint {
        Shown,
        Held,          // until the voice has the sentence, or a quarter second at most
        HeldForPickup, // handed to the speech window: released by its pickup
    };

    // Tools menu: "Recent Documents…", "Contents…", "Next Chapter", "Previous Chapter", and the
    // library of the documents' places (EnglishFLibrary.cpp).
    void addLibraryTools();
    void loadLibrary();
    void openContents();
    void openRecentDocuments();

    // Tools menu: "Reading Look…", "Faster" and "Slower" (EnglishFLook.cpp).
    void addLookTools();
    void addLanguageTool(); // EnglishFLanguage.cpp
    void addWordHelp();     // EnglishFWordHelp.cpp: picking words in Text1, "Show Syllables"
    void showSyllables(bool on);
    // EnglishFPronunciation.cpp: "Pronunciation…" in the Tools menu, and the document's
    // pronunciation lexicons handed to speech.
    void addPronunciationTool();
    void documentArrived(const QByteArray& key, const Document& document) override;
    void openLookDialog();
    void stepRate(int delta);

    // Button and menu handlers.
    void onBiggerClicked();                     // Command1
    void onSmallerClicked();                    // Command2
    void onTalkPressed(Qt::MouseButton button); // Command3, on the press
    void onQuitClicked();                       // Command6
    void onPathBoxLeft();                       // Text2 lost the focus: open what it names
    void onOpenFileChosen();                    // File > Open File ("Openf")
    void onSecondsChosen(); // "Seconds " ("Secs"): opens the pause dialog, or closes it

    SpeechWindow& m_tts;
    UserPrompts& m_prompts;
    ReaderModel m_model;

    QPlainTextEdit* m_text1 = nullptr;
    QLineEdit* m_text2 = nullptr;
    std::array<QPushButton*, 12> m_command{}; // Command1 .. Command11; [0] unused
    QTimer* m_timer1 = nullptr;
    QMenu* m_toolsMenu = nullptr;
    ScreenReading* m_screenReading = nullptr;
    ReaderStatusLine* m_statusLine = nullptr;
    SleepTimerMenu* m_sleepTimer = nullptr;
    std::unique_ptr<AccessibleNotice> m_notice; // its widget belongs to the window
    MenuBarAltGuard* m_altGuard = nullptr;
    bool m_screenReaderSpeaks = false;
    QPointer<SecondsF> m_secondsDialog;

    QString m_shownSentence; // the text last put into Text1, as given (CR LF kept)
    SentencePaint m_sentencePaint = SentencePaint::Shown;
    QTimer* m_sentencePaintLimit = nullptr;
    void setLifecycle(WindowLifecycle lifecycle); // the one place that changes it
    WindowLifecycle m_lifecycle = WindowLifecycle::Created;
    // Runs while a step was handed over and the pickup has not taken it.
    QTimer* m_handOverWait = nullptr;
    bool m_showingSentence = false; // Text1 changes because the model shows a sentence
    void endHandOverWait();
    bool m_noPause = false;
    int m_handOverWaitMs = 1000;
    FollowAlongSettings m_followAlong;
    DocumentLoaderFunction m_documentLoader;
    DocumentLoadJob::Mode m_loadMode = DocumentLoadJob::Mode::Background;
    std::vector<DocumentLoadJob*> m_loadJobs; // children of the window
    QAction* m_stopLoading = nullptr;
    QString m_startupFile;
    QString m_shownLanguage;                // of the sentence last handed over
    std::shared_ptr<Syllables> m_syllables; // shared: its type stays unknown here
    MeaningLookup* m_meaningLookup = nullptr;
    WordHelpModel* m_wordHelpModel = nullptr;
    QPointer<WordHelp> m_wordHelp;
};

} // namespace orasent
