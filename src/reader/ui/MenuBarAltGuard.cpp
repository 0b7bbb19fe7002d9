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

// The question "is a shortcut waiting for this key?" that Qt asks again for a replayed Alt press
// goes no further, so the menu bar never hears it: the application's filters come before the
// window's. A replay is a copy that has lost the time of the key press.
bool MenuBarAltGuard::eventFilter(QObject*, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride || event->spontaneous())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->timestamp() != 0)
        return false;
    const Qt::KeyboardModifiers others =
        key->modifiers() & ~(Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier);
    return (key->key() == Qt::Key_Alt || key->key() == Qt::Key_Meta) && others == 0;
}

} // namespace orasent
