// The documents' places and contents from the Tools menu: "Recent Documents…", "Contents…",
// "Next Chapter" and "Previous Chapter".
#include "common/ProgramFiles.h"
#include "reader/ui/ContentsDialog.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/RecentDocumentsDialog.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>

namespace orasent {

namespace {
QAction* toolAction(QMenu* menu, const QString& caption, const char* name,
                    const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    // Also while a dialog of the reader, or the sentence box, has the keyboard.
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}
} // namespace

void EnglishF::addLibraryTools() {
    // Ctrl shortcuts type nothing, so they never start continuous play.
    connect(toolAction(m_toolsMenu, QStringLiteral("&Recent Documents…"), "menuRecentDocuments",
                       QKeySequence(Qt::CTRL | Qt::Key_R)),
            &QAction::triggered, this, &EnglishF::openRecentDocuments);
    connect(toolAction(m_toolsMenu, QStringLiteral("&Contents…"), "menuContents",
                       QKeySequence(Qt::CTRL | Qt::Key_G)),
            &QAction::triggered, this, &EnglishF::openContents);
    connect(toolAction(m_toolsMenu, QStringLiteral("&Next Chapter"), "menuNextChapter",
                       QKeySequence(Qt::CTRL | Qt::Key_Down)),
            &QAction::triggered, this, [this] { m_model.nextChapter(); });
    connect(toolAction(m_toolsMenu, QStringLiteral("&Previous Chapter"), "menuPreviousChapter",
                       QKeySequence(Qt::CTRL | Qt::Key_Up)),
            &QAction::triggered, this, [this] { m_model.previousChapter(); });
}

void EnglishF::loadLibrary() {
    const QString problem = m_model.library().load(files::library());
    if (!problem.isEmpty())
        showMessage(problem);
}

void EnglishF::openContents() {
    if (auto* open = findChild<ContentsDialog*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    const QVector<ReaderModel::Chapter> chapters = m_model.chapters();
    if (chapters.isEmpty())
        handOver(ReaderModel::noChaptersMessage());
    auto* dialog = new ContentsDialog(
        chapters, m_model.currentChapter(),
        [this](int index) {
            if (index < 0)
                m_model.startOfDocument();
            else
                m_model.goToChapter(index);
        },
        this);
    dialog->open();
}

void EnglishF::openRecentDocuments() {
    if (auto* open = findChild<RecentDocumentsDialog*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    m_model.leaveDocument(); // the current document's place, as it is now, heads the list
    RecentDocumentsDialog::Actions actions;
    actions.open = [this](const QByteArray& key) { return m_model.openLibraryEntry(key); };
    actions.remove = [this](const QByteArray& key) { m_model.forgetDocument(key); };
    auto* dialog =
        new RecentDocumentsDialog(m_model.library().library().entries(), std::move(actions), this);
    dialog->open();
}

// ReaderPort: the voice a document is read with.

QString EnglishF::voiceName() const {
    return m_tts.chosenVoiceName();
}

void EnglishF::chooseVoice(const QString& name) {
    m_tts.chooseVoiceByName(name);
}

} // namespace orasent
