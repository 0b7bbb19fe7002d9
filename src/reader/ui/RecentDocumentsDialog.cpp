#include "reader/ui/RecentDocumentsDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

namespace orasent {

namespace {
constexpr int kKeyRole = Qt::UserRole;
constexpr int kExistsRole = Qt::UserRole + 1;
} // namespace

QString RecentDocumentsDialog::rowText(const LibraryEntry& entry, bool fileExists) {
    QString text = entry.title.isEmpty() ? QFileInfo(entry.path).fileName() : entry.title;
    text += QStringLiteral(", %1 percent read").arg(entry.percent);
    if (entry.lastRead.isValid())
        text += QStringLiteral(", ") +
                QLocale().toString(entry.lastRead.toLocalTime().date(), QLocale::LongFormat);
    if (!fileExists)
        text += QStringLiteral(", file not found");
    return text;
}

RecentDocumentsDialog::RecentDocumentsDialog(const QVector<LibraryEntry>& entries, Actions actions,
                                             QWidget* parent)
    : QDialog(parent), m_actions(std::move(actions)) {
    setObjectName(QStringLiteral("RecentDocumentsDialog"));
    setWindowTitle(QStringLiteral("Recent Documents"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(QStringLiteral("&Documents:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("RecentList"));
    m_list->setAccessibleName(QStringLiteral("Documents"));
    label->setBuddy(m_list);
    for (const LibraryEntry& entry : entries) {
        const bool exists = QFileInfo(entry.path).isFile();
        auto* item = new QListWidgetItem(rowText(entry, exists), m_list);
        item->setData(kKeyRole, entry.key);
        item->setData(kExistsRole, exists);
        item->setToolTip(entry.path);
    }
    m_status = new QLabel(
        entries.isEmpty() ? QStringLiteral("No documents have been read yet.") : QString(), this);
    m_status->setObjectName(QStringLiteral("RecentStatus"));
    m_status->setWordWrap(true);

    auto* buttons = new QDialogButtonBox(this);
    m_open = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::ActionRole);
    m_open->setObjectName(QStringLiteral("RecentOpen"));
    m_open->setDefault(true);
    m_remove = buttons->addButton(QStringLiteral("&Remove"), QDialogButtonBox::ActionRole);
    m_remove->setObjectName(QStringLiteral("RecentRemove"));
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("RecentClose"));
    connect(m_open, &QPushButton::clicked, this, &RecentDocumentsDialog::openChosen);
    connect(m_remove, &QPushButton::clicked, this, &RecentDocumentsDialog::removeChosen);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter reaches the default button; a double click opens too.
    connect(m_list, &QListWidget::itemDoubleClicked, this, &RecentDocumentsDialog::openChosen);
    connect(m_list, &QListWidget::currentRowChanged, this, &RecentDocumentsDialog::showChosen);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    layout->addWidget(buttons);
    m_list->setCurrentRow(0);
    showChosen();
    m_list->setFocus();
    resize(720, 480);
}

void RecentDocumentsDialog::showChosen() {
    const bool chosen = m_list->currentItem() != nullptr;
    m_open->setEnabled(chosen);
    m_remove->setEnabled(chosen);
    if (chosen && !m_list->currentItem()->data(kExistsRole).toBool())
        m_status->setText(goneText());
    else if (m_list->count() > 0)
        m_status->clear();
}

void RecentDocumentsDialog::openChosen() {
    QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    const QByteArray key = item->data(kKeyRole).toByteArray();
    hide(); // the load may show its own progress over the reader
    if (m_actions.open(key)) {
        close();
        return;
    }
    item->setData(kExistsRole, false);
    const QString gone = QStringLiteral(", file not found");
    if (!item->text().endsWith(gone))
        item->setText(item->text() + gone);
    m_status->setText(goneText());
    show();
    m_remove->setFocus();
}

void RecentDocumentsDialog::removeChosen() {
    QListWidgetItem* item = m_list->currentItem();
    if (!item)
        return;
    m_actions.remove(item->data(kKeyRole).toByteArray());
    delete item;
    showChosen();
    m_list->setFocus();
}

} // namespace orasent
