#pragma once
// The reading state of the reader window and every reader command that is not about widgets.
#include "reader/ReaderPort.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace orasent {

class ReaderModel {
public:
    explicit ReaderModel(ReaderPort& port);

    // Reading state (window-level variables of the reader).
    QString BookText;
    QString FileName;
    double NextPos = 0;
    double LastPos = 0;
    std::array<double, 101> BookMarks{}; // slots 1..100, 0 = free
    int BookNum = 0;
    int Seconds = 0; // pause in whole seconds, always 0..32
    int ReservedNum = 1;
    int ContinuousPlay = 0; // 0 off, -1 on
    // Each sentence is handed over with the language of its paragraph (Tools > "Read in the
    // Document's Language"); off: everything goes to the chosen voice.
    bool readInDocumentLanguage = true;

    // Rebuilds BookText from FileName and hands over the instruction text; reports failure.
    // False only when the user cancelled a long load: BookText is then unchanged.
    bool OpenfF();
    // A new text starts from its beginning without bookmarks (LastPos is kept).
    void startNewReading();
    // Open File after the dialog returned `path` (not cancelled): type test (".TXT" anywhere,
    // upper-cased, or a readable document); accepted -> startNewReading(), showPathBox, FileName,
    // OpenfF; refused -> the spoken refusal. A cancelled load puts the previous file and place
    // back. The caller restores the working directory. Returns true if accepted.
    bool openChosenFile(const QString& path);
    // The file named on the command line, before the start-up load: the file of the saved state
    // resumes where it stopped; another one is opened as a new reading; a refused one leaves the
    // saved state alone and its message is returned, to be handed over after the start-up load.
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
    enum class TickOutcome { Off, Busy, EndOfText, Stepped };
    TickOutcome
    timerTick(); // the pause-timer tick without its one-second wait; the caller waits after Stepped

    void setBookmark();
    void nextBookmark();
    void prevBookmark();
    void clearBookmarks();
    void SpreadBookmarks(); // "Set 25 Bookmarks"
    void ShowBookmark();

    // Question pools ("Tech Pool.txt" etc., working directory); false + message "<name> not
    // found" when missing.
    bool openPool(const QString& poolFileName);

    static QString helpMessage(); // the version line, CR LF, and the help text
    void help();                  // shows it in Text1 and hands it over

    // The pause dialog's entry: nullopt when outside 0..32 after rounding (the caller shows a
    // message, nothing changes).
    static std::optional<int> parseSeconds(const QString& entry);
    // The timer interval is Seconds x 1000 ms in a 16-bit count, so 32 is the longest pause.
    static constexpr int kMaxSeconds = 32;

    // The languages of the loaded document's paragraphs, by where they start in BookText.
    void setDocumentLanguages(const Document& document, const QVector<qsizetype>& starts);
    // The language of the text at 1-based `position`, its first non-blank character counting
    // ("" when the document declares none).
    QString languageAt(double position) const;
    int documentNumber() const { return m_documentNumber; }

private:
    // Text1's text handed over, in the language of the sentence that starts at `position`.
    void handOverSentence(double position);

    struct LanguageRun {
        qsizetype start = 0; // 0-based offset in BookText
        QString language;
    };
    QVector<LanguageRun> m_languages;
    int m_documentNumber = 0;

    // What a cancelled load puts back.
    struct ReadingPlace {
        QString fileName;
        double nextPos = 0;
        double lastPos = 0;
        std::array<double, 101> bookMarks{};
        int bookNum = 0;
    };
    ReadingPlace place() const;
    void restorePlace(const ReadingPlace& before);
    // Why `path` cannot be opened (a line break in its name, which the state file cannot hold);
    // empty when it can.
    static QString unstorableNameMessage(const QString& path);

    // True when characters `position` and `position` + 1 (1-based) are ". ".
    bool boundaryAt(std::int64_t position) const;
    // 1-based position of the first ". " at or after nearest(position + 1); 0 when none.
    std::int64_t sentenceEndFrom(double position) const;
    // The sentence that starts at NextPos (taken as 1 below 1), through its ". ", and the
    // position of that period; nothing when no ". " follows.
    struct SentenceCut {
        QString text;
        std::int64_t end = 0;
    };
    std::optional<SentenceCut> cutSentenceAtNextPos();
    double nearTextEnd(double position) const;
    std::optional<double> scanBackForBoundary(double start, double lowest) const;

    ReaderPort& m_port;
};

} // namespace orasent
