#include "common/ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QWidget>

namespace orasent {

namespace {

const char* const kHiddenProperty = "orasentHiddenFromAssistiveTechnology";

// On Linux Qt names a drop-down list by its current entry, so a listener cannot tell the voice
// list from the format list. This one takes its name from setAccessibleName or the label whose
// buddy it is, and reports the entry as its value.
class LabelledComboBox : public QAccessibleWidget {
public:
    explicit LabelledComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return comboBox()->currentText();
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(comboBox()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == comboBox()->view() ? 0 : -1;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction())
            return;
        if (comboBox()->view()->isVisible())
            comboBox()->hidePopup();
        else
            comboBox()->showPopup();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }
};

class HiddenControl : public QAccessibleWidget {
public:
    explicit HiddenControl(QWidget* control) : QAccessibleWidget(control) {}

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
    // Its inner parts (a frame's, an edit's) are hidden with it.
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
};

QAccessibleInterface* createInterface(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget)
        return nullptr;
    if (widget->property(kHiddenProperty).toBool())
        return new HiddenControl(widget);
    if (className == QLatin1String("QComboBox")) {
        auto* box = static_cast<QComboBox*>(widget);
        if (!box->isEditable())
            return new LabelledComboBox(box);
    }
    return nullptr;
}

} // namespace

void installAccessibleInterfaces() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    // Installed after QApplication's own factory, so asked first.
    QAccessible::installFactory(createInterface);
}

void hideFromAssistiveTechnology(QWidget* control, const char* plainName) {
    control->setProperty(kHiddenProperty, true);
    control->setAccessibleName(QString::fromLatin1(plainName));
    control->setFocusPolicy(Qt::NoFocus);
}

bool isHiddenFromAssistiveTechnology(const QWidget* control) {
    return control->property(kHiddenProperty).toBool();
}

} // namespace orasent
