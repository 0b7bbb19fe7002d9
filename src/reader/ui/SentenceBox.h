#pragma once
// The sentence box: a plain text box that shows its text in the reader's chosen look. The type
// size stays the box's own (Bigger, Smaller, the state file); when it changes, the spacing that
// depends on it follows.
#include "reader/ReadingLook.h"

#include <QPalette>
#include <QPlainTextEdit>

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

protected:
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyFont(double pointSize);
    void applyColours();
    void updateSideMargins();

    ReadingLook m_look;
    QPalette m_systemPalette;
    SpacedTextLayout* m_layout = nullptr;
    double m_appliedSize = 0; // points the spacing was worked out for
    bool m_applying = false;
    int m_sideMargin = 0;
};

} // namespace orasent
