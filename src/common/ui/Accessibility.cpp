#include "common/ui/Accessibility.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace orasent {

namespace {

const char* const kHiddenProperty = "orasentHiddenFromAssistiveTechnology";
const char* const kNoticeProperty = "orasentNotice";

std::function<void(QAccessibleEvent&)>& eventObserver() {
    static std::function<void(QAccessibleEvent&)> observer;
    return observer;
}

class NoticeInterface : public QAccessibleWidget {
public:
    explicit NoticeInterface(QWidget* notice)
        : QAccessibleWidget(notice, QAccessible::Notification) {}
    QString text(QAccessible::Text t) const override {
        // Named by nothing: its label is the text, which the screen reader reads once.
        return t == QAccessible::Name ? QString() : QAccessibleWidget::text(t);
    }
    // Hidden between announcements, with nothing inside.
    int childCount() const override {
        return widget()->isVisible() ? QAccessibleWidget::childCount() : 0;
    }
    QAccessibleInterface* child(int index) const override {
        return widget()->isVisible() ? QAccessibleWidget::child(index) : nullptr;
    }
};

// On Linux Qt names a drop-down list by its current entry, so a listener cannot tell the voice
// list from the format list. This one takes its name from setAccessibleName or the label whose
// buddy it is, and shows the entry as its text, wholly selected, as an entry box of a drop-down
// list shows it: a screen reader that finds no selected item reads that text as the value, and
// speaks a new entry when it arrives as selected text.
class LabelledComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit LabelledComboBox(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return entry();
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

    // The entry as read-only text, all of it selected, the caret at its end.
    QString text(int startOffset, int endOffset) const override {
        return entry().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(entry().size()); }
    int selectionCount() const override { return entry().isEmpty() ? 0 : 1; }
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
        const bool whole = selectionIndex == 0 && selectionCount() == 1;
        *startOffset = 0;
        *endOffset = whole ? characterCount() : 0;
    }
    int cursorPosition() const override { return characterCount(); }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* startOffset, int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }
    // Words, lines and sentences are all the one entry.
    QString textAtOffset(int, QAccessible::TextBoundaryType boundary, int* startOffset,
                         int* endOffset) const override {
        *startOffset = 0;
        *endOffset = characterCount();
        if (boundary == QAccessible::CharBoundary)
            return QAccessibleTextInterface::textAtOffset(0, boundary, startOffset, endOffset);
        return entry();
    }

private:
    QComboBox* comboBox() const { return static_cast<QComboBox*>(widget()); }
    QString entry() const { return comboBox()->currentText(); }
};

// A new entry reaches assistive technology as new text of the list, selected as a whole.
void announceNewEntries(QComboBox* box) {
    if (box->property("orasentAnnouncesEntries").toBool())
        return;
    box->setProperty("orasentAnnouncesEntries", true);
    QObject::connect(box, &QComboBox::currentTextChanged, box, [box](const QString& entry) {
        if (!assistiveTechnologyListens() || entry.isEmpty())
            return;
        QAccessibleTextInsertEvent inserted(box, 0, entry);
        tellAssistiveTechnology(inserted);
    });
}

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
    if (widget->property(kNoticeProperty).toBool())
        return new NoticeInterface(widget);
    if (className == QLatin1String("QComboBox")) {
        auto* box = static_cast<QComboBox*>(widget);
        if (!box->isEditable()) {
            announceNewEntries(box);
            return new LabelledComboBox(box);
        }
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

bool assistiveTechnologyListens() {
    return QAccessible::isActive() || eventObserver();
}

void tellAssistiveTechnology(QAccessibleEvent& event) {
    if (eventObserver())
        eventObserver()(event);
    QAccessible::updateAccessibility(&event);
}

void setAccessibleEventObserver(std::function<void(QAccessibleEvent&)> observer) {
    eventObserver() = std::move(observer);
}

QString cappedForAssistiveTechnology(const QString& text) {
    if (text.size() <= kAssistiveTextLimit)
        return text;
    int cut = kAssistiveTextLimit;
    while (cut > kAssistiveTextLimit / 2 && !text.at(cut).isSpace())
        --cut;
    if (cut <= kAssistiveTextLimit / 2)
        cut = kAssistiveTextLimit;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut).trimmed() + QChar(0x2026);
}

AccessibleNotice::AccessibleNotice(QWidget* parent)
    : m_notice(new QWidget(parent)), m_text(new QLabel(m_notice)) {
    m_notice->setObjectName(QStringLiteral("AccessibleNotice"));
    m_notice->setProperty(kNoticeProperty, true);
    m_notice->setFocusPolicy(Qt::NoFocus);
    // One pixel under the window's other controls: present for assistive technology, never seen.
    m_notice->setGeometry(0, 0, 1, 1);
    m_text->setGeometry(0, 0, 1, 1);
    m_text->setTextFormat(Qt::PlainText);
    QPalette unseen = m_text->palette();
    unseen.setColor(QPalette::WindowText, Qt::transparent);
    m_text->setPalette(unseen);
    m_notice->lower();
    m_notice->hide();
}

void AccessibleNotice::announce(const QString& text) {
    m_notice->hide();
    m_text->setText(cappedForAssistiveTechnology(text));
    m_notice->lower();
    m_notice->show(); // the screen reader presents a notification as it shows
}

QString AccessibleNotice::lastText() const {
    return m_text->text();
}

} // namespace orasent
