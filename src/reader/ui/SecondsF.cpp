// The pause dialog: shows the saved pause and saves the one typed, from 0 to 32 seconds.
#include "reader/ui/SecondsF.h"

#include "common/ui/UserPrompts.h"
#include "reader/ReaderModel.h"
#include "reader/ui/ReaderFonts.h"
#include "reader/ui/ReaderLayout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace orasent {

SecondsF::SecondsF(ReaderModel& model, UserPrompts& prompts, std::function<void(int)> applyPause,
                   QWidget* parent)
    : QWidget(parent, Qt::Dialog), m_model(model), m_prompts(prompts),
      m_applyPause(std::move(applyPause)) {
    setObjectName(QStringLiteral("SecondsF"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Seconds"));

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    auto place = [dpi](QWidget* w, double left, double top, double width, double height) {
        w->setGeometry(twipsToPixels(left, dpi), twipsToPixels(top, dpi), twipsToPixels(width, dpi),
                       twipsToPixels(height, dpi));
    };
    resize(twipsToPixels(4680, dpi), twipsToPixels(3195, dpi));

    m_label1 = new QLabel(QStringLiteral("Enter the pause between sentences in seconds"), this);
    m_label1->setWordWrap(true);
    m_label1->setFont(msSansSerifFont(9.75, true));
    place(m_label1, 360, 480, 3855, 615);

    m_text1 = new QLineEdit(this);
    place(m_text1, 1920, 1440, 615, 375);

    m_command2 = new QPushButton(QStringLiteral("Save"), this);
    place(m_command2, 840, 2640, 975, 495);
    m_command1 = new QPushButton(QStringLiteral("Close"), this);
    place(m_command1, 3240, 2640, 975, 495);

    const std::pair<QWidget*, const char*> names[] = {{m_label1, "Label1"},
                                                      {m_text1, "Text1"},
                                                      {m_command1, "Command1"},
                                                      {m_command2, "Command2"}};
    for (const auto& [widget, name] : names)
        widget->setObjectName(QString::fromLatin1(name));
    m_label1->setBuddy(m_text1); // the entry box is named by the label above it

    // Tab order: Close, Save, (the label takes no focus), the entry box.
    setTabOrder(m_command1, m_command2);
    setTabOrder(m_command2, m_text1);
    m_command1->setFocus(Qt::OtherFocusReason);

    connect(m_command2, &QPushButton::clicked, this, &SecondsF::onSavePressed);
    connect(m_command1, &QPushButton::clicked, this, &SecondsF::onClosePressed);
    showSavedPause();
}

void SecondsF::showSavedPause() {
    if (m_model.seconds() == 0)
        m_model.setSeconds(1); // the timer keeps its interval until Save
    m_text1->setText(QString::number(m_model.seconds()));
}

void SecondsF::onSavePressed() {
    const std::optional<int> seconds = ReaderModel::parseSeconds(m_text1->text());
    if (!seconds) {
        m_prompts.showMessage(this, QStringLiteral("The pause must be from 0 to 32 seconds."),
                              programTitle());
        return; // the pause and the timer stay as they were; the dialog stays open
    }
    m_model.setSeconds(*seconds);
    m_applyPause(*seconds);
    close();
}

void SecondsF::onClosePressed() {
    close();
}

} // namespace orasent
