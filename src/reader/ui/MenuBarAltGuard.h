#pragma once
// Keeps the menu bar shut after Alt+letter. With a screen reader, Qt's accessibility bridge holds
// each key event back until the screen reader has looked at it and then replays it; a replayed
// Alt press asks the menu bar again whether Alt was pressed on its own, and its replayed release
// then opens or shuts the menu bar. Only the keyboard's own Alt press may prepare the menu bar
// for that; a replay (a copy without the time of the press) may not. And when a button's mnemonic
// acts while the menu bar is in its keyboard mode (the Alt release came first), the menu bar leaves
// that mode. When a menu's own mnemonic (Alt+L) opened it, the replayed press of that same Alt
// would reach the open menu and shut it again: it goes no further.
#include <QObject>
#include <QPointer>

class QMenuBar;

namespace orasent {

class MenuBarAltGuard : public QObject {
public:
    MenuBarAltGuard(QMenuBar* bar, QObject* parent);
    ~MenuBarAltGuard() override;
    // A mnemonic of the window acted on Alt+letter.
    void mnemonicUsed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isReplayedAlt(const QEvent* event) const;

    QPointer<QMenuBar> m_bar;
    bool m_menuOpenedByMnemonic = false; // until its replayed Alt press came, or the menu shut
};

} // namespace orasent
