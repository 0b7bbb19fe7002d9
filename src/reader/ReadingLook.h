#pragma once
// How the sentence box looks to the reader: typeface, spacing, line width, colours and how the
// text being heard is marked. Kept in a settings file of its own, "ReadingLook.ini": one
// KEY=value per line, written whole; anything missing or unreadable keeps its default.
#include <QByteArray>
#include <QColor>
#include <QList>
#include <QString>

namespace orasent {

enum class HighlightMode { Off, Word, Sentence, Both };

struct ReadingLook {
    QString typeface;       // empty: the designed face
    bool bold = true;       // the designed face is heavy
    int letterSpacing = 0;  // % of the face's average letter width, 0..50
    int wordSpacing = 0;    // % of the type size (an em), 0..100
    double lineSpacing = 1; // times the line height, 1.0..3.0
    int lineWidth = 0;      // characters per line, 40..120; 0: the full box
    QColor text;            // invalid: the system colours
    QColor background;
    HighlightMode highlight = HighlightMode::Word;
    QColor wordBand;        // invalid: chosen to stand out from the text colour
    QColor sentenceBand;    // invalid: a lighter form of the word band
    int dialogTypeSize = 0; // points for the reader's dialogs; 0: as the reading type

    bool operator==(const ReadingLook& other) const;
    bool operator!=(const ReadingLook& other) const { return !(*this == other); }
};

constexpr int kMaxLetterSpacing = 50;
constexpr int kMaxWordSpacing = 100;
constexpr double kMinLineSpacing = 1.0;
constexpr double kMaxLineSpacing = 3.0;
constexpr int kMinLineWidth = 40;
constexpr int kMaxLineWidth = 120;
constexpr int kMinDialogTypeSize = 8;
constexpr int kMaxDialogTypeSize = 48; // a dialog must still fit on the screen

// The type size of the reader's dialogs, in points: the size chosen in the look, else the reading
// type's size, never below the desktop's `desktopSize` nor above kMaxDialogTypeSize.
double dialogTypeSize(const ReadingLook& look, double readingTypeSize, double desktopSize);

// The colour presets; the first, "As designed", keeps the system colours (all invalid).
struct LookPreset {
    QString name;
    QColor text, background, wordBand, sentenceBand;
};
const QList<LookPreset>& lookPresets();
void applyPreset(ReadingLook& look, const LookPreset& preset);
// The preset whose four colours the look has, or -1.
int matchingPreset(const ReadingLook& look);

// The band a read-along book puts under the sentence being heard: the sentence band, else the
// word band; invalid when both are.
QColor readAlongBand(const ReadingLook& look);

// Every value brought into its range (a line width below 40 but above 0 becomes 40).
ReadingLook clamped(ReadingLook look);

ReadingLook parseReadingLook(const QByteArray& bytes);
QByteArray formatReadingLook(const ReadingLook& look);
// Never fails: a missing or unreadable file gives the defaults.
ReadingLook readReadingLookFile(const QString& path);
// Replaces the file whole; on failure the old file stays and *error says why.
bool writeReadingLookFile(const QString& path, const ReadingLook& look, QString* error);

} // namespace orasent
