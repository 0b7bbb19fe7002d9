#pragma once
// Message boxes and file dialogs of the program. Windows take a UserPrompts and never call
// QMessageBox or QFileDialog themselves, so tests can answer every prompt without blocking.
#include <QColor>
#include <QList>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace orasent {

// The caption of the program's message boxes.
QString programTitle();

struct OpenFileRequest {
    QString title;          // empty: the platform's default caption
    QString directory;      // starting folder; empty: the current working directory
    QString filter;         // "Name (*.a *.b)|*.a;*.b|..." pairs; empty: none
    int selectedFilter = 0; // 0-based index into the filter pairs
    bool mustExist = true;  // the chosen file and its folder must exist
};

struct SaveFileRequest {
    QString title;          // empty: the platform's default caption
    QString path;           // the suggested file (folder and name); empty: the working directory
    QString filter;         // "Name (*.a)|*.a|..." pairs, as OpenFileRequest
    int selectedFilter = 0; // 0-based index into the filter pairs
};

class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // A message box with an OK button. It returns at once; the box stays until acknowledged.
    virtual void showMessage(QWidget* parent, const QString& text, const QString& title);
    // The file-open dialog; nothing when the user cancels.
    virtual std::optional<QString> getOpenFileName(QWidget* parent, const OpenFileRequest& request);
    // The colour dialog; nothing when the user cancels.
    virtual std::optional<QColor> getColor(QWidget* parent, const QColor& initial,
                                           const QString& title);
    // The file-save dialog (it asks before replacing a file); nothing when the user cancels.
    virtual std::optional<QString> getSaveFileName(QWidget* parent, const SaveFileRequest& request);
    // The "Password" dialog with `message` above its field; nothing when the user cancels.
    virtual std::optional<QString> getPassword(QWidget* parent, const QString& message);

    // The real dialogs.
    static UserPrompts& standard();

    // Marks `dialog` as waiting for an answer in an event loop of its own, for its lifetime.
    class Showing {
    public:
        Showing(UserPrompts& prompts, QDialog* dialog);
        ~Showing();
        Showing(const Showing&) = delete;
        Showing& operator=(const Showing&) = delete;

    private:
        UserPrompts& m_prompts;
        QDialog* m_dialog;
    };
    // A dialog waits for an answer: what comes from outside waits for whenNoneShowing.
    bool isShowing() const { return !m_showing.isEmpty(); }
    // Runs `then` once the last dialog waiting for an answer has returned; at once when none is.
    void whenNoneShowing(std::function<void()> then);
    // The program quits: each dialog waiting for an answer is closed as if cancelled, and from
    // now on a message becomes a log line and a dialog is cancelled without being shown.
    void closeForQuit();
    bool closedForQuit() const { return m_closedForQuit; }

private:
    QList<QDialog*> m_showing;
    QList<QDialog*> m_openBoxes; // message boxes waiting for their OK without a loop of their own
    std::vector<std::function<void()>> m_whenNoneShowing;
    bool m_closedForQuit = false;
};

// Turns a "caption|patterns|..." filter "A (*.x)|*.x|B (*.y;*.z)|*.y;*.z" into Qt's ";;"-separated
// form.
QString toQtFilter(const QString& pairedFilter, int selectedIndex, QString* selectedQtFilter);

} // namespace orasent
