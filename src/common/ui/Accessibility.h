#pragma once
// What assistive technology (a screen reader, the accessibility bus) is told about the windows:
// a drop-down list is named by its label and shows its entry, a few helper controls are kept out
// of its way, and a window can hand a text to the screen reader to be spoken.
#include <QString>
#include <functional>

class QAccessibleEvent;
class QLabel;
class QWidget;

namespace orasent {

// Installs the program's accessible interfaces. Call once a QApplication exists, before the
// first window is built; later calls do nothing.
void installAccessibleInterfaces();

// The control stays on screen and works as before, but assistive technology is told it is not
// there (with `plainName` for tools that list it anyway), and Tab passes it by.
void hideFromAssistiveTechnology(QWidget* control, const char* plainName);

// Whether hideFromAssistiveTechnology was called for the control.
bool isHiddenFromAssistiveTechnology(const QWidget* control);

// Whether assistive technology listens: a screen reader on the accessibility bus, or the
// observer a test installed.
bool assistiveTechnologyListens();
// Hands `event` to assistive technology, and to the observer when one is installed.
void tellAssistiveTechnology(QAccessibleEvent& event);
// Tests see the events raised through tellAssistiveTechnology; an empty function removes it.
void setAccessibleEventObserver(std::function<void(QAccessibleEvent&)> observer);

// At most this many characters of a text go to assistive technology in one event: a screen
// reader then never reads a megabyte at once.
constexpr int kAssistiveTextLimit = 2000;
// `text` cut to kAssistiveTextLimit characters at a word's end, with "…" after a cut.
QString cappedForAssistiveTechnology(const QString& text);

// A notification that a screen reader presents as it appears: spoken, and shown on a braille
// display. It sits under `parent`'s other controls and takes no focus; each announce() shows it
// anew with the text, capped.
class AccessibleNotice {
public:
    explicit AccessibleNotice(QWidget* parent);
    void announce(const QString& text);
    QString lastText() const;
    QWidget* widget() const { return m_notice; }

private:
    QWidget* m_notice;
    QLabel* m_text;
};

} // namespace orasent
