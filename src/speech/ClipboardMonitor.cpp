#include "speech/ClipboardMonitor.h"

namespace orasent {

bool ClipboardMonitor::isNew(const QString& clipboardText, const QString& mainText) const {
    if (clipboardText == mainText)
        return false;
    return !(m_hasTaken && clipboardText == m_lastTaken);
}

void ClipboardMonitor::taken(const QString& clipboardText) {
    m_lastTaken = clipboardText;
    m_hasTaken = true;
}

QString ClipboardMonitor::lastTaken() const {
    return m_lastTaken;
}

} // namespace orasent
