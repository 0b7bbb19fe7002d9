// Speaking: handing MainTxtBox to the voice, stopping, the replacement step, the speak-box pickup,
// the clipboard monitor, the speaking state and the voice's events.
#include "speech/ui/TTSSetup.h"

#include "engine/SpVoice.h"
#include "speech/CharacterCase.h"
#include "speech/Replacements.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

namespace orasent {

namespace {

// Marks a step that lets pending events run, so that a tick or a queued pickup arriving inside it
// waits for the next chance instead of nesting.
class TickGuard {
public:
    explicit TickGuard(bool& running) : m_running(running) { m_running = true; }
    ~TickGuard() { m_running = false; }
    TickGuard(const TickGuard&) = delete;
    TickGuard& operator=(const TickGuard&) = delete;

private:
    bool& m_running;
};

void letEventsRun() { QCoreApplication::processEvents(); }

} // namespace

void TTSSetup::SpeakIt() { speakMainText(); }
void TTSSetup::SpeakItX() { speakMainText(); }

void TTSSetup::speakMainText() {
    const QString text = m_mainTxtBox->toPlainText();
    if (text.isEmpty())
        return;
    try {
        if (!m_voice)
            throw SpeechError("no voice");
        m_lastStreamNumber = m_voice->Speak(text, m_speakFlags);
        ApplySpeakingState(true);
    } catch (const SpeechError&) {
        ApplySpeakingState(false);
    }
}

// A failing engine is not the caller's business: the reader calls this on every Talk and Stop.
void TTSSetup::StopVoice() {
    try {
        if (m_voice)
            m_lastStreamNumber = m_voice->Speak(QStringLiteral(" "), m_speakFlags);
    } catch (const SpeechError&) {
    }
    if (isVisible()) {
        m_command1->setFocus();
        m_mainTxtBox->setFocus();
    }
}

QString TTSSetup::ApplyReplacements(const QString& text) {
    const QString rewritten = applyReplacementList(text, m_replacementList, letEventsRun);
    m_mainTxtBox->setPlainText(rewritten);
    return rewritten;
}

QString TTSSetup::clipboardText() const {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    return clipboard ? clipboard->text() : QString();
}

void TTSSetup::Timer1_Timer() {
    if (m_tickRunning || m_unloaded)
        return;
    if (!m_spkbx->text().isEmpty() && m_speakBtn->isEnabled())
        runSpeakBoxPickup();
    else if (m_chkClipboard->isChecked())
        runClipboardMonitor();
}

void TTSSetup::runSpeakBoxPickup() {
    {
        TickGuard guard(m_tickRunning);
        letEventsRun();
        // Read again: a reader command may have put a newer text in meanwhile.
        const QString text = upperCaseByCharacter(m_spkbx->text());
        m_spkbx->setText(QString());
        ApplyReplacements(text);
    }
    SpeakItX();
}

void TTSSetup::runClipboardMonitor() {
    if (!m_clipboardMonitor.isNew(clipboardText(), m_mainTxtBox->toPlainText()))
        return;
    {
        TickGuard guard(m_tickRunning);
        letEventsRun();
        const QString text = clipboardText();
        m_clipboardMonitor.taken(text);
        ApplyReplacements(text);
    }
    SpeakItX();
}

// The pickup also runs as soon as the event loop is free, instead of waiting for the next tick.
// Several texts put into the box before then count once; the latest is taken.
void TTSSetup::queueSpeakBoxPickup() {
    if (!m_loaded || m_unloaded || m_pickupQueued)
        return;
    m_pickupQueued = true;
    QMetaObject::invokeMethod(this, [this] { runQueuedSpeakBoxPickup(); }, Qt::QueuedConnection);
}

void TTSSetup::runQueuedSpeakBoxPickup() {
    m_pickupQueued = false;
    if (m_tickRunning || m_unloaded)
        return;
    if (!m_spkbx->text().isEmpty() && m_speakBtn->isEnabled())
        runSpeakBoxPickup();
}

void TTSSetup::Command2_Click() {
    m_mainTxtBox->setPlainText(clipboardText());
    SpeakIt();
}

// --- speaking state and the voice's events ---

void TTSSetup::ApplySpeakingState(bool speaking) {
    m_menuFileOpenText->setEnabled(!speaking);
    m_speakBtn->setEnabled(!speaking);
    if (m_clearIt->isChecked() && !speaking) {
        if (QClipboard* clipboard = QGuiApplication::clipboard())
            clipboard->setText(QString());
        m_mainTxtBox->setPlainText(QString());
    }
    m_stopBtn->setEnabled(speaking);
}

// Offsets the box cannot take end the highlight quietly; a start already set stays.
void TTSSetup::HighlightSpokenText(int start, int length) {
    const int lastPosition = m_mainTxtBox->document()->characterCount() - 1;
    if (start < 0 || start > lastPosition)
        return;
    QTextCursor cursor = m_mainTxtBox->textCursor();
    cursor.setPosition(start);
    if (length >= 0 && qint64(start) + length <= lastPosition)
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
    m_mainTxtBox->setTextCursor(cursor);
}

void TTSSetup::attachVoiceEvents() {
    if (!m_voice)
        return;
    connect(m_voice.get(), &SpVoice::StartStream, this, &TTSSetup::Voice_StartStream);
    connect(m_voice.get(), &SpVoice::EndStream, this, &TTSSetup::Voice_EndStream);
    connect(m_voice.get(), &SpVoice::Word, this, &TTSSetup::Voice_Word);
    connect(m_voice.get(), &SpVoice::VoiceChange, this, &TTSSetup::Voice_VoiceChange);
}

// An event of a stream older than the newest Speak must not flip the window's state.
bool TTSSetup::isStaleStream(int streamNumber) const { return streamNumber < m_lastStreamNumber; }

void TTSSetup::Voice_StartStream(int streamNumber, const QVariant&) {
    if (isStaleStream(streamNumber))
        return;
    ApplySpeakingState(true);
}

void TTSSetup::Voice_Word(int streamNumber, const QVariant&, int pos, int length) {
    if (isStaleStream(streamNumber))
        return;
    HighlightSpokenText(pos, length);
}

void TTSSetup::Voice_EndStream(int streamNumber, const QVariant&) {
    if (isStaleStream(streamNumber))
        return;
    HighlightSpokenText(0, m_mainTxtBox->toPlainText().size());
    ApplySpeakingState(false);
    if (!m_spkbx->text().isEmpty())
        queueSpeakBoxPickup();
}

void TTSSetup::Voice_VoiceChange(int, const QVariant&, const SpObjectToken& token) {
    const int index = m_voiceCB->findText(token.GetDescription(0), Qt::MatchExactly | Qt::MatchCaseSensitive);
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
    VoiceCB_Click();
}

} // namespace orasent
