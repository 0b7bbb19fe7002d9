// The speech window's part of the pronunciation rules: the rules file, the lexicons of the
// document being read, and the editor.
#include "common/ui/UserPrompts.h"
#include "speech/ui/PronunciationEditor.h"
#include "speech/ui/TTSSetup.h"

#include <QAction>
#include <QMenu>

namespace orasent {

void TTSSetup::loadPronunciation() {
    const QString problem = m_pronunciationStore.load();
    if (!problem.isEmpty())
        m_prompts.showMessage(this, problem, programTitle());
}

void TTSSetup::addPronunciationMenu() {
    QAction* action = m_menuFile->addAction(QStringLiteral("&Pronunciation…"));
    action->setObjectName(QStringLiteral("menuFilePronunciation"));
    connect(action, &QAction::triggered, this, [this] { showPronunciationEditor(this, 0); });
    connect(&m_pronunciationStore, &PronunciationStore::changed, this, [this] {
        m_core.setPronunciation(m_pronunciationStore.rules());
        applyDocumentPronunciation();
    });
    connect(&m_core, &SpeakingCore::pronunciationNotice, this, &TTSSetup::showUnspokenNotice);
}

void TTSSetup::readingDocument(const QByteArray& key, const QString& language,
                               const QList<QByteArray>& lexicons) {
    m_readingDocument = {key, language, lexicons};
    if (m_voice)
        m_voice->newDocument();
    applyDocumentPronunciation();
}

void TTSSetup::applyDocumentPronunciation() {
    QString notice;
    m_core.setDocumentPronunciation(
        m_readingDocument.key, m_readingDocument.language,
        m_pronunciationStore.bookRules(m_readingDocument.lexicons, &notice));
    if (!notice.isEmpty())
        showUnspokenNotice(notice);
}

void TTSSetup::showPronunciationEditor(QWidget* parent, int pointSize) {
    if (!m_pronunciationEditor) {
        auto* editor = new PronunciationEditor(m_pronunciationStore, m_core, m_prompts, parent);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        m_pronunciationEditor = editor;
    }
    auto* editor = static_cast<PronunciationEditor*>(m_pronunciationEditor.data());
    editor->setDocument(m_readingDocument.key, m_readingDocument.language);
    editor->setTypeSize(pointSize);
    editor->open();
    editor->raise();
    editor->activateWindow();
}

} // namespace orasent
