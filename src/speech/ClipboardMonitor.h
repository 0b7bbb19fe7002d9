#pragma once
// "Monitor Clipboard"'s rule for when a clipboard text is new enough to be spoken.
#include <QString>

namespace orasent {

// Decides whether the clipboard monitor speaks the clipboard: only when it differs from both the
// main text box and the clipboard text it took last, so a replacement that changes the text cannot
// restart it at every tick.
class ClipboardMonitor {
public:
    bool isNew(const QString& clipboardText, const QString& mainText) const;
    void taken(const QString& clipboardText); // remember what was taken
    QString lastTaken() const;

private:
    QString m_lastTaken;
    bool m_hasTaken = false;
};

} // namespace orasent
