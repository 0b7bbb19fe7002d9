#pragma once
// The reader's dialogs and menus in the reader's type size: every window of the reader's (a
// dialog, a message box, a menu) takes the size when it is first polished, before it is sized and
// shown, so a reader with low vision meets no small type in Contents, Recent Documents, Password,
// Stop Reading After or Export.
#include <QObject>
#include <functional>

class QWidget;

namespace orasent {

// Sets `window`'s type size (its children without a font of their own follow); `points` <= 0
// leaves it as it is.
void applyDialogType(QWidget* window, double points);

class DialogType : public QObject {
public:
    // `size` gives the type size in points when a window of `reader`'s is polished.
    DialogType(QWidget* reader, std::function<double()> size);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isReadersWindow(QWidget* widget) const;

    QWidget* m_reader;
    std::function<double()> m_size;
};

} // namespace orasent
