// The reader window's menu bar: File (open a text, the three question pools, Exit), TTS Setup,
// Seconds, Tools (the reading features added since) and Help.
#include "common/ProgramFiles.h"
#include "common/ui/UserPrompts.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/MenuBarAltGuard.h"
#include "reader/ui/SecondsF.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>

namespace orasent {

namespace {
// The busy pointer while a chosen file loads.
class BusyPointer {
public:
    explicit BusyPointer(bool show) : m_shown(show) {
        if (m_shown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~BusyPointer() {
        if (m_shown)
            QApplication::restoreOverrideCursor();
    }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    bool m_shown;
};

QAction* namedAction(QAction* action, const char* name) {
    action->setObjectName(QString::fromLatin1(name));
    return action;
}
} // namespace

void EnglishF::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("FF"));
    file->menuAction()->setObjectName(QStringLiteral("FF"));
    connect(namedAction(file->addAction(QStringLiteral("Open File")), "Openf"), &QAction::triggered,
            this, &EnglishF::onOpenFileChosen);
    connect(namedAction(file->addAction(QStringLiteral("Open Tech Question")), "TQuestions"),
            &QAction::triggered, this, [this] { m_model.openPool(files::techPool()); });
    connect(namedAction(file->addAction(QStringLiteral("Open General Question")), "Gquestions"),
            &QAction::triggered, this, [this] { m_model.openPool(files::generalPool()); });
    connect(namedAction(file->addAction(QStringLiteral("Open Extra Questions")), "EQuestions"),
            &QAction::triggered, this, [this] { m_model.openPool(files::extraPool()); });
    namedAction(file->addAction(QStringLiteral("Exit")), "Ex"); // does nothing

    // Top-level items that act when clicked.
    connect(namedAction(menuBar()->addAction(QStringLiteral("TTS Setup")), "TTSSet"),
            &QAction::triggered, this, [this] { m_tts.showWindow(); });
    connect(namedAction(menuBar()->addAction(QStringLiteral("Seconds ")), "Secs"),
            &QAction::triggered, this, &EnglishF::onSecondsChosen);
    m_toolsMenu = menuBar()->addMenu(QStringLiteral("Too&ls")); // Alt+T is Talk, Alt+O Stop
    m_toolsMenu->setObjectName(QStringLiteral("ToolsMenu"));
    m_toolsMenu->menuAction()->setObjectName(QStringLiteral("ToolsMenu"));
    connect(namedAction(menuBar()->addAction(QStringLiteral("Help")), "HLP"), &QAction::triggered,
            this, [this] { m_model.help(); });
    m_altGuard = new MenuBarAltGuard(menuBar(), this);
    addPronunciationTool();
}

void EnglishF::onOpenFileChosen() {
    const QString workingDir = QDir::currentPath();
    OpenFileRequest request;
    request.directory = workingDir; // no file name, no type filter
    const std::optional<QString> chosen = m_prompts.getOpenFileName(this, request);
    if (chosen) {
        BusyPointer busy(!chosen->trimmed().isEmpty());
        m_model.openChosenFile(*chosen);
    }
    // Even after a cancel: the state file and the pools are found in the working directory.
    QDir::setCurrent(workingDir);
}

SecondsF* EnglishF::pauseDialog() const {
    return (m_secondsDialog && m_secondsDialog->isVisible()) ? m_secondsDialog.data() : nullptr;
}

void EnglishF::onSecondsChosen() {
    if (SecondsF* open = pauseDialog()) {
        open->close(); // unloaded without saving what was typed
        return;
    }
    m_secondsDialog = new SecondsF(
        m_model, m_prompts, [this](int seconds) { setPauseInterval(seconds); }, this);
    m_secondsDialog->show();
}

} // namespace orasent
