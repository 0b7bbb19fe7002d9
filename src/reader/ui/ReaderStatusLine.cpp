#include "reader/ui/ReaderStatusLine.h"

#include <QAccessible>
#include <QStringList>

namespace orasent {

ReaderStatusLine::ReaderStatusLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("ReaderStatusLine"));
    setAccessibleName(QStringLiteral("Status"));
    setFocusPolicy(Qt::TabFocus);
    setTextInteractionFlags(Qt::TextSelectableByKeyboard);
    setTextFormat(Qt::PlainText);
    hide();
}

void ReaderStatusLine::setPart(const QString& key, const QString& text) {
    if (m_parts.value(key) == text)
        return;
    if (text.isEmpty())
        m_parts.remove(key);
    else
        m_parts.insert(key, text);
    const QString shown = QStringList(m_parts.values()).join(QStringLiteral("   "));
    setText(shown);
    setAccessibleDescription(shown);
    setVisible(!shown.isEmpty());
    QAccessibleEvent changed(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
}

} // namespace orasent
