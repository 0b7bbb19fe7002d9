// The speech window's side of speaking: its controls wired to the speaking core (the speak box,
// the speaking state, the word highlight), MainTxtBox handed to the voice, StopVoice, the
// clipboard monitor and the voice change event.
#include "speech/ui/TTSSetup.h"

#include "engine/SpVoice.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

namespace orasent {

// SPKBX and SpeakBtn.Enabled mirror the core; text typed or set into SPKBX goes to the core,
// while the reader's hand-over goes to the core straight.
void TTSSetup::connectSpeakingCore() {
    connect(&m_core, &SpeakingCore::speakBoxTextChanged, this, [this](const QString& text) {
        if (m_spkbx->text() != text)
            m_spkbx->setText(text);
    });
    connect(m_spkbx, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text != m_core.speakBoxText()) // not the mirror's own echo
            m_core.setSpeakBoxText(text);
    });
    // What the user types is read by the chosen voice.
    connect(m_spkbx, &QLineEdit::textEdited, this,
            [this] { m_core.setSpeakBoxLanguage(QString(), 0); });
    connect(&m_core, &SpeakingCore::chosenVoiceChange, this, &TTSSetup::onVoiceChanged);
    connect(&m_core, &SpeakingCore::noticeUnspoken, this, &TTSSetup::showUnspokenNotice);
    m_core.setVoiceChooser([this](const QString& language, int document) {
        return m_voice ? m_languageVoices.choose(language, document, *m_voice) : LanguageChoice();
    });
    connect(&m_core, &SpeakingCore::speakingStateApplied, this, &TTSSetup::showSpeakingState);
    connect(&m_core, &SpeakingCore::spokenTextChanged, m_mainTxtBox, &QPlainTextEdit::setPlainText);
    connect(&m_core, &SpeakingCore::wordSpoken, this, &TTSSetup::HighlightSpokenText);
    connect(&m_core, &SpeakingCore::streamEnded, this,
            [this] { HighlightSpokenText(0, m_mainTxtBox->toPlainText().size()); });
    connect(&m_core, &SpeakingCore::tickedWithoutPickup, this, &TTSSetup::runClipboardMonitor);
}

void TTSSetup::handOver(const QString& text) {
    m_core.handOver({text, QString(), 0});
}

void TTSSetup::handOverInLanguage(const QString& text, const QString& language, int document) {
    m_core.handOver({text, language, document});
}

void TTSSetup::prepareHandOver(const QString& text) {
    m_core.prepareHandOver(text);
}

void TTSSetup::SpeakIt() {
    speakMainText();
}
void TTSSetup::SpeakItX() {
    speakMainText();
}

// The box's text as it stands, through the pronunciation rules; the band marks its words.
void TTSSetup::speakMainText() {
    m_core.speakWithRules(m_mainTxtBox->toPlainText());
}

void TTSSetup::StopVoice() {
    m_core.stopVoice();
    if (isVisible()) {
        m_command1->setFocus();
        m_mainTxtBox->setFocus();
    }
}

// The word list only: the pronunciation rules follow when the box is spoken.
QString TTSSetup::ApplyReplacements(const QString& text) {
    const QString rewritten = m_core.applyReplacements(text);
    m_mainTxtBox->setPlainText(rewritten);
    return rewritten;
}

QString TTSSetup::clipboardText() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void TTSSetup::onSpeakingTick() {
    if (m_lifecycle != WindowLifecycle::Unloaded)
        m_core.tick();
}

void TTSSetup::runClipboardMonitor() {
    if (!m_chkClipboard->isChecked())
        return;
    if (!m_clipboardMonitor.isNew(clipboardText(), m_mainTxtBox->toPlainText()))
        return;
    {
        SpeakingCore::Step step(m_core);
        const QString text = clipboardText();
        m_clipboardMonitor.taken(text);
        ApplyReplacements(text);
    }
    SpeakItX();
}

void TTSSetup::onPlayClipboardPressed() {
    m_mainTxtBox->setPlainText(clipboardText());
    SpeakIt();
}

// --- speaking state and the voice's events ---

void TTSSetup::ApplySpeakingState(bool speaking) {
    m_core.applySpeakingState(speaking);
}

void TTSSetup::showSpeakingState(bool speaking) {
    m_menuFileOpenText->setEnabled(!speaking);
    m_speakBtn->setEnabled(!speaking);
    if (m_clearIt->isChecked() && !speaking) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(QString());
        m_mainTxtBox->setPlainText(QString());
    }
    m_stopBtn->setEnabled(speaking);
}

// Offsets the box cannot take end the highlight quietly. The word is painted as an extra
// selection: the box's own selection and caret stay where the user left them, so a screen reader
// hears no selection change per word and copy and paste work as usual.
void TTSSetup::HighlightSpokenText(int start, int length) {
    const int lastPosition = m_mainTxtBox->document()->characterCount() - 1;
    if (start < 0 || start > lastPosition)
        return;
    QTextEdit::ExtraSelection word;
    word.cursor = QTextCursor(m_mainTxtBox->document());
    word.cursor.setPosition(start);
    if (length >= 0 && qint64(start) + length <= lastPosition)
        word.cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    const QPalette& colours = m_mainTxtBox->palette();
    word.format.setBackground(colours.color(QPalette::Active, QPalette::Highlight));
    word.format.setForeground(colours.color(QPalette::Active, QPalette::HighlightedText));
    m_mainTxtBox->setExtraSelections({word});
}

// The painted word of the last highlight: start and length, or (-1, 0) when none.
QPair<int, int> TTSSetup::highlightedSpan() const {
    const QList<QTextEdit::ExtraSelection> shown = m_mainTxtBox->extraSelections();
    if (shown.isEmpty())
        return {-1, 0};
    const QTextCursor& cursor = shown.first().cursor;
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

void TTSSetup::attachVoiceEvents() {
    m_core.setVoice(m_voice.get());
    if (m_voice)
        connect(m_voice.get(), &SpVoice::VoicesAdded, this, &TTSSetup::appendAddedVoices);
}

void TTSSetup::onVoiceChanged(int, const QVariant&, const SpObjectToken& token) {
    const int index =
        m_voiceCB->findText(token.GetDescription(0), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0)
        return;
    {
        const QSignalBlocker block(m_voiceCB);
        m_voiceCB->setCurrentIndex(index);
    }
    // The voice already is this one (or is being set right now): setting it again would only
    // raise the same event once more.
    try {
        if (m_applyingVoice || !m_voice || m_voice->Voice() == token)
            return;
    } catch (const SpeechError&) {
        return;
    }
    onVoiceChosen();
}

SpeechChoice TTSSetup::speechChoice() const {
    SpeechChoice choice;
    choice.replacementList = m_core.replacementList();
    choice.pronunciation = m_pronunciationStore.rules();
    choice.bookLexicons = m_pronunciationStore.settings().bookLexicons;
    if (m_voice) {
        // The desktop's voices cannot write files: espeak-ng's current voice does it for them.
        const SpObjectToken writer = m_voice->WaveFileVoice();
        choice.voiceId = writer.Id();
        if (writer.Id() != m_voice->Voice().Id())
            choice.voiceNote = QStringLiteral("The chosen voice can not write files; the export "
                                              "uses the espeak-ng voice %1.")
                                   .arg(writer.GetDescription());
        choice.rate = m_voice->Rate();
        choice.volume = m_voice->Volume();
    }
    return choice;
}

} // namespace orasent
