#include "reader/ui/DialogType.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMenu>
#include <QWidget>

namespace orasent {

void applyDialogType(QWidget* window, double points) {
    if (!(points > 0) || window->font().pointSizeF() == points)
        return;
    QFont font = window->font();
    font.setPointSizeF(points);
    window->setFont(font);
}

DialogType::DialogType(QWidget* reader, std::function<double()> size)
    : QObject(reader), m_reader(reader), m_size(std::move(size)) {
    qApp->installEventFilter(this);
}

// Windows of the reader's own, however deep: dialogs opened from its dialogs too.
// A window given a type of its own keeps it.
bool DialogType::isReadersWindow(QWidget* widget) const {
    if (!widget->isWindow() || !(qobject_cast<QDialog*>(widget) || qobject_cast<QMenu*>(widget)) ||
        widget->testAttribute(Qt::WA_SetFont))
        return false;
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (up == m_reader)
            return true;
    return false;
}

bool DialogType::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Polish && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (!isReadersWindow(widget))
            return false;
        applyDialogType(widget, m_size());
        // A menu is polished once but shown many times: each opening takes the size as it is.
        if (auto* menu = qobject_cast<QMenu*>(widget))
            connect(menu, &QMenu::aboutToShow, this,
                    [this, menu] { applyDialogType(menu, m_size()); });
    }
    return false;
}

} // namespace orasent
