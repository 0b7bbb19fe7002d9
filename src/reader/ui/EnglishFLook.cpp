// The reader's own look and pace from the Tools menu: "Reading Look…" (typeface, spacing,
// colours, highlight of the sentence box, kept in its own settings file), "Faster" and "Slower"
// (the speech window's rate slider, one step each). The reader's dialogs and menus follow the
// reading type's size, or the size chosen for them in the look.
#include "common/ProgramFiles.h"
#include "common/ui/UserPrompts.h"
#include "reader/ReadingLook.h"
#include "reader/ui/DialogType.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/ReadingLookDialog.h"
#include "reader/ui/SentenceBox.h"
#include "speech/SpeechWindow.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>

namespace orasent {

namespace {
FollowAlongSettings followAlongFor(const ReadingLook& look) {
    FollowAlongSettings settings;
    settings.enabled = look.highlight != HighlightMode::Off;
    settings.word = look.highlight == HighlightMode::Word || look.highlight == HighlightMode::Both;
    settings.sentence =
        look.highlight == HighlightMode::Sentence || look.highlight == HighlightMode::Both;
    settings.band = look.wordBand;
    settings.sentenceBand = look.sentenceBand;
    return settings;
}
} // namespace

void EnglishF::addLookTools() {
    applyReadingLook(readReadingLookFile(files::readingLook()));
    new DialogType(this, [this] {
        return dialogTypeSize(readingLook(), m_text1->font().pointSizeF(),
                              QApplication::font().pointSizeF());
    });

    QAction* look = m_toolsMenu->addAction(QStringLiteral("Reading &Look…"));
    look->setObjectName(QStringLiteral("menuReadingLook"));
    connect(look, &QAction::triggered, this, &EnglishF::openLookDialog);
    // Ctrl shortcuts type nothing, so they never count as the key that starts continuous play.
    QAction* faster = m_toolsMenu->addAction(QStringLiteral("&Faster"));
    faster->setObjectName(QStringLiteral("menuFaster"));
    faster->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketRight));
    connect(faster, &QAction::triggered, this, [this] { stepRate(+1); });
    QAction* slower = m_toolsMenu->addAction(QStringLiteral("Slo&wer"));
    slower->setObjectName(QStringLiteral("menuSlower"));
    slower->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_BracketLeft));
    connect(slower, &QAction::triggered, this, [this] { stepRate(-1); });
}

void EnglishF::applyReadingLook(const ReadingLook& look) {
    auto* box = static_cast<SentenceBox*>(m_text1);
    box->setLook(look);
    clearBand(); // a band of the old colours would stay until the next word
    setFollowAlong(followAlongFor(box->look()));
}

const ReadingLook& EnglishF::readingLook() const {
    return static_cast<const SentenceBox*>(m_text1)->look();
}

void EnglishF::openLookDialog() {
    if (auto* open = findChild<ReadingLookDialog*>()) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* dialog = new ReadingLookDialog(readingLook(), m_text1->toPlainText(),
                                         m_text1->font().pointSizeF(), m_prompts, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &ReadingLookDialog::lookChanged, this, &EnglishF::applyReadingLook);
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        QString error;
        if (!writeReadingLookFile(files::readingLook(), dialog->look(), &error))
            showMessage(QStringLiteral("The reading look could not be saved to \"%1\": %2\n"
                                       "It is used until the program ends; the previous file "
                                       "was kept.")
                            .arg(files::readingLook(), error));
    });
    dialog->show();
}

// The new rate is said as the reader's status texts are: through the speak box.
void EnglishF::stepRate(int delta) {
    const int rate = m_tts.stepRate(delta);
    handOver(QStringLiteral("Rate %1").arg(rate));
}

} // namespace orasent
