#pragma once
// The sentence box: a plain text box that shows its text in the reader's chosen look. The type
// size stays the box's own (Bigger, Smaller, the state file); when it changes, the spacing that
// depends on it follows.
#include "reader/ReadingLook.h"
#include "words/WordSpans.h"

#include <QPalette>
#include <QPlainTextEdit>
#include <QPoint>

#include <functional>
#include <optional>
#include <utility>

namespace orasent {

class SpacedTextLayout;

class SentenceBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit SentenceBox(QWidget* parent = nullptr);

    void setLook(const ReadingLook& look);
    // Shows a new sentence. Assistive technology is told that the text changed, with at most
    // kAssistiveTextLimit characters of it, so that a braille display and a screen reader's
    // review find the new text; a screen reader does not speak such a change by itself.
    void showSentence(const QString& text);
    const ReadingLook& look() const { return m_look; }

    // The colours the box shows: the look's, or the system's where the look has none.
    QColor textColour() const;
    QColor backgroundColour() const;
    // Width in pixels left blank on each side to keep lines to the look's line width.
    int sideMargin() const { return m_sideMargin; }
    double lineSpacing() const;

    // Picking a word: a click on it, or Ctrl+Right / Ctrl+Left to move the word mark and Enter
    // to pick the marked word. Neither changes the text, the caret or the reading place.
    // The mark as start and length in the box's text; nothing when no word is marked.
    std::optional<std::pair<int, int>> wordMark() const { return m_wordMark; }
    // Keys the word mark takes (Ctrl+Left/Right, and Enter or Escape on a mark): they are no
    // reader key and start no continuous play.
    bool takesForWordMark(const QKeyEvent& event) const;
    void clearWordMark();
    // The band colour the word mark is drawn in; invalid: the default band.
    void setMarkColour(const QColor& colour) { m_markColour = colour; }

    // "Show Syllables": the box paints a middle dot between the syllables `dotting` finds (null:
    // none) in a gap widened for it; the text itself stays as written, so assistive technology,
    // the copy buffer and the band see the words as written (SentenceBoxSyllables.cpp).
    using Dotting = std::function<DottedText(const QString& written)>;
    void setDotting(Dotting dotting);
    // The text as the eye reads it, with the painted dots.
    QString shownText() const;

signals:
    // The word as written (without syllable dots) and where it starts in the box's text.
    void wordPicked(const QString& word, int start);
    void wordMarked(const QString& word);

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyFont(double pointSize);
    void applyColours();
    void updateSideMargins();
    std::optional<std::pair<int, int>> wordUnder(const QPoint& viewportPoint) const;
    void moveWordMark(bool forward);
    void showWordMark();
    void applyDots(bool layOutAgain = false);
    double dotWidth() const;

    ReadingLook m_look;
    QPalette m_systemPalette;
    SpacedTextLayout* m_layout = nullptr;
    double m_appliedSize = 0; // points the spacing was worked out for
    bool m_applying = false;
    int m_sideMargin = 0;
    std::optional<std::pair<int, int>> m_wordMark;
    QColor m_markColour;
    QPoint m_pressedAt{-1, -1};
    Dotting m_dotting;
    QList<int> m_dots; // written positions a dot stands before
    class SyllableGaps* m_gaps = nullptr;
};

} // namespace orasent
