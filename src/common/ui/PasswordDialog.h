#pragma once
// "Password": a message, a hidden-text field named "Password", OK and Cancel. The typed text is
// handed out once and the field cleared; nothing keeps it.
#include <QDialog>
#include <QString>

class QLineEdit;

namespace orasent {

class PasswordDialog : public QDialog {
public:
    PasswordDialog(QWidget* parent, const QString& message);

    // The typed password; clears the field.
    QString takePassword();

private:
    QLineEdit* m_field = nullptr;
};

} // namespace orasent
