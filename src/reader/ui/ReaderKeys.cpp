#include "reader/ui/ReaderKeys.h"

#include <QKeyEvent>

namespace orasent {

bool typesCharacter(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier))
        return false;
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return true;
    const QString text = event.text();
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isPrint())
            return false; // Tab, Backspace, Escape, Delete carry control characters
    }
    return true;
}

} // namespace orasent
