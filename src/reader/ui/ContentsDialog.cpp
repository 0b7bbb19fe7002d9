#include "reader/ui/ContentsDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orasent {

namespace {
// Four blanks for each level below the top.
QString indented(const ReaderModel::Chapter& chapter) {
    const QString title =
        chapter.title.isEmpty() ? QStringLiteral("(untitled chapter)") : chapter.title;
    return QString(4 * (chapter.level - 1), QLatin1Char(' ')) + title;
}
} // namespace

ContentsDialog::ContentsDialog(const QVector<ReaderModel::Chapter>& chapters, int current,
                               std::function<void(int)> go, QWidget* parent)
    : QDialog(parent), m_go(std::move(go)) {
    setObjectName(QStringLiteral("ContentsDialog"));
    setWindowTitle(QStringLiteral("Contents"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(
        chapters.isEmpty() ? ReaderModel::noChaptersMessage() : QStringLiteral("&Chapters:"), this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("ContentsList"));
    m_list->setAccessibleName(QStringLiteral("Chapters"));
    label->setBuddy(m_list);
    m_list->setUniformItemSizes(true); // ten thousand headings stay quick
    m_list->addItem(startOfDocumentText());
    for (const ReaderModel::Chapter& chapter : chapters)
        m_list->addItem(indented(chapter));
    m_list->setCurrentRow(current + 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* goButton = buttons->addButton(QStringLiteral("&Go"), QDialogButtonBox::AcceptRole);
    goButton->setObjectName(QStringLiteral("ContentsGo"));
    goButton->setDefault(true);
    QPushButton* close = buttons->addButton(QStringLiteral("Close"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("ContentsClose"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ContentsDialog::choose);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // Enter reaches the default button; a double click chooses too.
    connect(m_list, &QListWidget::itemDoubleClicked, this, &ContentsDialog::choose);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    m_list->setFocus();
    resize(640, 480);
}

void ContentsDialog::choose() {
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    accept();
    m_go(row - 1);
}

} // namespace orasent
