#include "common/ui/PasswordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace orasent {

PasswordDialog::PasswordDialog(QWidget* parent, const QString& message) : QDialog(parent) {
    setObjectName(QStringLiteral("PasswordDialog"));
    setWindowTitle(QStringLiteral("Password"));
    auto* text = new QLabel(message, this);
    text->setWordWrap(true);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("Password"));
    m_field->setEchoMode(QLineEdit::Password);
    m_field->setAccessibleName(QStringLiteral("Password"));
    m_field->setAccessibleDescription(message);
    auto* label = new QLabel(QStringLiteral("&Password:"), this);
    label->setBuddy(m_field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* field = new QFormLayout;
    field->addRow(label, m_field);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(field);
    layout->addWidget(buttons);
    m_field->setFocus();
}

QString PasswordDialog::takePassword() {
    const QString password = m_field->text();
    m_field->clear();
    return password;
}

} // namespace orasent
