// Word Help from the sentence box: a click on a word, or Enter on the word mark that Ctrl+Right
// and Ctrl+Left move (each mark announced to the screen reader), opens "Word Help" for it and
// says the word. The reading place and the sentence stay as they are. Tools > "Show Syllables"
// (off by default, kept in "ReadingOptions.ini") shows longer words in syllables in the box.
#include "common/ui/Accessibility.h"
#include "reader/ReadingOptions.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/SentenceBox.h"
#include "reader/ui/WordHelp.h"
#include "speech/SpeechWindow.h"
#include "words/MeaningLookup.h"
#include "words/Syllables.h"
#include "words/WordHelpModel.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>

namespace orasent {

void EnglishF::addWordHelp() {
    auto* box = static_cast<SentenceBox*>(m_text1);
    connect(box, &SentenceBox::wordPicked, this,
            [this](const QString& word, int) { openWordHelp(word); });
    connect(box, &SentenceBox::wordMarked, this, [this](const QString& word) {
        if (m_notice)
            m_notice->announce(word);
    });

    QAction* item = m_toolsMenu->addAction(QStringLiteral("Show S&yllables"));
    item->setObjectName(QStringLiteral("ShowSyllables"));
    item->setCheckable(true);
    item->setChecked(readReadingOptionsFile(kReadingOptionsFileName).showSyllables);
    showSyllables(item->isChecked());
    connect(item, &QAction::toggled, this, [this](bool on) {
        showSyllables(on);
        ReadingOptions options = readReadingOptionsFile(kReadingOptionsFileName);
        options.showSyllables = on;
        QString error;
        if (!writeReadingOptionsFile(kReadingOptionsFileName, options, &error))
            showMessage(QStringLiteral("The reading options could not be saved: %1").arg(error));
    });
}

void EnglishF::showSyllables(bool on) {
    auto* box = static_cast<SentenceBox*>(m_text1);
    if (!on) {
        box->setDotting(nullptr);
        return;
    }
    if (!m_syllables)
        m_syllables = std::make_shared<Syllables>(QString(), QString(), false);
    box->setDotting([this, syllables = m_syllables](const QString& written) {
        return dottedText(written, *syllables, m_shownLanguage);
    });
}

WordHelp* EnglishF::wordHelp() const {
    return m_wordHelp.data();
}

// Built at the first word: the lexicon is mapped and WordNet's thread started then, once.
void EnglishF::openWordHelp(const QString& word) {
    if (!m_wordHelp) {
        if (!m_syllables)
            m_syllables = std::make_shared<Syllables>(QString(), QString(), false);
        m_meaningLookup = new MeaningLookup(true, this);
        m_wordHelpModel =
            new WordHelpModel(*m_syllables, *m_meaningLookup, m_tts.speakingCore(), this);
        m_wordHelp = new WordHelp(*m_wordHelpModel, this);
    }
    const QColor band =
        m_followAlong.band.isValid() ? m_followAlong.band : defaultBandColour(m_text1->palette());
    m_wordHelp->setLook(readingLook(), m_text1->font().pointSizeF(), band);
    m_wordHelpModel->setWord(word, m_shownLanguage);
    m_wordHelp->show();
    m_wordHelp->raise();
    m_wordHelp->activateWindow();
    m_wordHelpModel->sayIt();
}

} // namespace orasent
