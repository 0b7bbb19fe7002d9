#include "reader/ui/MenuBarAltGuard.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>

namespace orasent {

MenuBarAltGuard::MenuBarAltGuard(QMenuBar* bar, QObject* parent) : QObject(parent), m_bar(bar) {
    qApp->installEventFilter(this);
}

MenuBarAltGuard::~MenuBarAltGuard() {
    qApp->removeEventFilter(this);
}

void MenuBarAltGuard::mnemonicUsed() {
    if (!m_bar)
        return;
    QAction* active = m_bar->activeAction();
    if (!active || (active->menu() && active->menu()->isVisible()))
        return;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(m_bar, &escape);
}

// A replay is a copy that has lost the time of the key press.
bool MenuBarAltGuard::isReplayedAlt(const QEvent* event) const {
    if (event->spontaneous())
        return false;
    const auto* key = static_cast<const QKeyEvent*>(event);
    if (key->timestamp() != 0)
        return false;
    const Qt::KeyboardModifiers others =
        key->modifiers() & ~(Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier);
    return (key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta) && others == 0;
}

// The question "is a shortcut waiting for this key?" that Qt asks again for a replayed Alt press
// goes no further, so the menu bar never hears it: the application's filters come before the
// window's.
bool MenuBarAltGuard::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Shortcut:
        if (watched == m_bar)
            m_menuOpenedByMnemonic = true;
        return false;
    case QEvent::Hide:
        if (qobject_cast<QMenu*>(watched))
            m_menuOpenedByMnemonic = false;
        return false;
    case QEvent::ShortcutOverride:
        return isReplayedAlt(event);
    case QEvent::KeyPress:
        if (m_menuOpenedByMnemonic && isReplayedAlt(event) &&
            qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            m_menuOpenedByMnemonic = false;
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace orasent
