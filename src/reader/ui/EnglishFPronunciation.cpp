// "Pronunciation…" in the Tools menu, and the lexicons of the document read now.
#include "reader/ui/EnglishF.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

namespace orasent {

void EnglishF::addPronunciationTool() {
    QAction* action = m_toolsMenu->addAction(QStringLiteral("&Pronunciation…"));
    action->setObjectName(QStringLiteral("Pronunciation"));
    connect(action, &QAction::triggered, this, [this] {
        // The type of the sentence box would not fit a table; large, but within reason.
        m_tts.showPronunciationEditor(this, m_text1 ? m_text1->font().pointSize() / 3 : 0);
    });
}

void EnglishF::documentArrived(const QByteArray& key, const Document& document) {
    m_tts.readingDocument(key, document.metadata.language, document.metadata.lexicons);
}

} // namespace orasent
