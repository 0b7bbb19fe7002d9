// The reader window's input: Talk on the mouse press, keys that start continuous play, the
// path box losing focus, the pause timer, type size and Quit.
#include "common/Numbers.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/MenuBarAltGuard.h"
#include "reader/ui/ReaderFonts.h"
#include "reader/ui/ReaderKeys.h"
#include "reader/ui/SentenceBox.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace orasent {

bool EnglishF::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A quick second press arrives as a double click; it is still a press and steps again.
        if (watched == m_command[3])
            onTalkPressed(static_cast<QMouseEvent*>(event)->button());
        break;
    case QEvent::Shortcut:
        m_altGuard->mnemonicUsed();
        // Alt+T, the caption's mnemonic, is the keyboard's Talk: a step like a left press.
        // A key pressed on the focused button still only goes to GetKey.
        if (watched == m_command[3]) {
            onTalkPressed(Qt::LeftButton);
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (countsForGetKey(watched) && typesCharacter(*static_cast<QKeyEvent*>(event)) &&
            !takenForWordMark(watched, *static_cast<QKeyEvent*>(event)))
            m_model.GetKey();
        break;
    case QEvent::FocusOut:
        if (watched == m_text2) {
            // Focus that moves to a menu, a popup or another program is not leaving the box.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
                reason != Qt::MenuBarFocusReason && m_lifecycle != WindowLifecycle::Unloaded &&
                m_lifecycle != WindowLifecycle::Unloading)
                onPathBoxLeft();
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event); // the key or press still reaches the control
}

bool EnglishF::takenForWordMark(QObject* watched, const QKeyEvent& event) const {
    const auto* box = qobject_cast<const SentenceBox*>(watched);
    return box && box == m_text1 && box->takesForWordMark(event);
}

bool EnglishF::countsForGetKey(QObject* watched) const {
    if (watched == m_text1)
        return true;
    for (int i = 1; i <= 11; ++i) {
        if (watched == m_command[i])
            return true;
    }
    if (watched == this || watched == centralWidget()) {
        // Only when no control has the focus: a key a control did not take (Text2's Enter, a
        // letter on a button) comes up here too, and has been counted there already or must not
        // count at all.
        const QWidget* focus = QApplication::focusWidget();
        return focus == nullptr || focus == this || focus == centralWidget();
    }
    return false;
}

void EnglishF::onTalkPressed(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        m_model.talk(1);
        break;
    case Qt::RightButton:
        m_model.talk(2);
        break;
    case Qt::MiddleButton:
        m_model.talk(4);
        break;
    default:
        break; // extra buttons of a mouse are not Talk presses
    }
}

void EnglishF::onPathBoxLeft() {
    m_model.openTypedPath(m_text2->text());
}

void EnglishF::onPauseTick() {
    if (isInHandOverWait())
        return; // a tick that falls due during an earlier tick's wait is skipped
    if (m_model.timerTick() != ReaderModel::TickOutcome::Stepped)
        return;
    // The speech window takes the sentence at its next pickup; until then, and for about a
    // second at most, the ticks make no step.
    m_handOverWait->start(m_handOverWaitMs);
}

bool EnglishF::isInHandOverWait() const {
    return m_handOverWait && m_handOverWait->isActive();
}

void EnglishF::endHandOverWait() {
    m_handOverWait->stop();
}

void EnglishF::onBiggerClicked() {
    changeTypeSize(+10);
}

void EnglishF::onSmallerClicked() {
    changeTypeSize(-10);
}

void EnglishF::changeTypeSize(double deltaPoints) {
    // Four-decimal fixed point, from the size the font reports now.
    const double size = nearest((m_text1->font().pointSizeF() + deltaPoints) * 10000) / 10000;
    if (!isUsableTypeSize(size))
        return; // refused: the size stays and the focus does not move
    QFont font = m_text1->font();
    font.setPointSizeF(size);
    m_text1->setFont(font);
    focusSentenceBox();
}

void EnglishF::onQuitClicked() {
    close(); // saves the reading state
    QCoreApplication::quit();
}

} // namespace orasent
