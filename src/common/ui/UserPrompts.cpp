#include "common/ui/UserPrompts.h"

#include "common/ui/PasswordDialog.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace orasent {

QString programTitle() {
    return QStringLiteral("Orasent");
}

UserPrompts::Showing::Showing(UserPrompts& prompts, QDialog* dialog)
    : m_prompts(prompts), m_dialog(dialog) {
    m_prompts.m_showing.append(dialog);
}

UserPrompts::Showing::~Showing() {
    m_prompts.m_showing.removeOne(m_dialog);
    if (m_prompts.isShowing())
        return;
    const std::vector<std::function<void()>> waiting = std::move(m_prompts.m_whenNoneShowing);
    m_prompts.m_whenNoneShowing.clear();
    for (const std::function<void()>& then : waiting)
        then();
}

void UserPrompts::whenNoneShowing(std::function<void()> then) {
    if (isShowing())
        m_whenNoneShowing.push_back(std::move(then));
    else
        then();
}

void UserPrompts::closeForQuit() {
    m_closedForQuit = true;
    for (QDialog* dialog : std::as_const(m_showing))
        dialog->done(QDialog::Rejected);
    for (QDialog* box : QList<QDialog*>(m_openBoxes))
        box->done(QDialog::Rejected);
}

namespace {
// The dialog's answer; cancelled without showing it once the program quits.
int answerOf(UserPrompts& prompts, QDialog& dialog) {
    if (prompts.closedForQuit())
        return QDialog::Rejected;
    const UserPrompts::Showing showing(prompts, &dialog);
    return dialog.exec();
}
} // namespace

void UserPrompts::showMessage(QWidget* parent, const QString& text, const QString& title) {
    if (m_closedForQuit) {
        qWarning("%s", qUtf8Printable(text)); // nobody is there to read a box
        return;
    }
    // Opened, not run: the caller's work goes on while the box waits for its OK, and nothing
    // from outside has to wait for it.
    auto* box = new QMessageBox(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    m_openBoxes.append(box);
    QObject::connect(box, &QObject::destroyed, [this, box] { m_openBoxes.removeOne(box); });
    box->open();
}

std::optional<QString> UserPrompts::getPassword(QWidget* parent, const QString& message) {
    PasswordDialog dialog(parent, message);
    if (answerOf(*this, dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.takePassword();
}

QString toQtFilter(const QString& pairedFilter, int selectedIndex, QString* selectedQtFilter) {
    const QStringList parts = pairedFilter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString name = parts[i];
        // Qt reads the patterns from the parentheses; keep the caption and the patterns.
        if (!name.contains(QLatin1Char('(')))
            name += QStringLiteral(" (%1)").arg(patterns);
        else
            name = name.left(name.indexOf(QLatin1Char('('))).trimmed() +
                   QStringLiteral(" (%1)").arg(patterns);
        filters << name;
    }
    if (selectedQtFilter)
        *selectedQtFilter = (selectedIndex >= 0 && selectedIndex < filters.size())
                                ? filters[selectedIndex]
                                : QString();
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> UserPrompts::getOpenFileName(QWidget* parent,
                                                    const OpenFileRequest& request) {
    QString selected;
    const QString filter = toQtFilter(request.filter, request.selectedFilter, &selected);
    QFileDialog dialog(parent, request.title,
                       request.directory.isEmpty() ? QDir::currentPath() : request.directory,
                       filter);
    dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    if (answerOf(*this, dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QColor> UserPrompts::getColor(QWidget* parent, const QColor& initial,
                                            const QString& title) {
    QColorDialog dialog(initial, parent);
    dialog.setWindowTitle(title);
    if (answerOf(*this, dialog) != QDialog::Accepted || !dialog.selectedColor().isValid())
        return std::nullopt;
    return dialog.selectedColor();
}

std::optional<QString> UserPrompts::getSaveFileName(QWidget* parent,
                                                    const SaveFileRequest& request) {
    QString selected;
    const QString filter = toQtFilter(request.filter, request.selectedFilter, &selected);
    QFileDialog dialog(parent, request.title,
                       request.path.isEmpty() ? QDir::currentPath() : request.path, filter);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    if (!request.path.isEmpty())
        dialog.selectFile(request.path);
    if (!selected.isEmpty())
        dialog.selectNameFilter(selected);
    if (answerOf(*this, dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

UserPrompts& UserPrompts::standard() {
    static UserPrompts prompts;
    return prompts;
}

} // namespace orasent
