// Voices that an engine lists only after the load (a speech server that answered late) join
// VoiceCB, and a saved choice among them is taken then. While the chosen voice
// ignores the audio format and output, their lists say so in their tooltips.
#include "speech/ui/TTSSetup.h"

#include "engine/SpVoice.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace orasent {

namespace {
const char* const kFormatNotApplied =
    "The chosen voice plays through speech-dispatcher: this format applies to espeak-ng voices "
    "only (it is still saved)";
const char* const kOutputNotApplied =
    "The chosen voice plays through speech-dispatcher: this output applies to espeak-ng voices "
    "only (it is still saved)";
} // namespace

// A saved index beyond the list is kept until the list grows to it or the user chooses.
void TTSSetup::selectSavedVoiceIndex(int index) {
    selectVoiceIndex(index);
    if (index >= m_voiceCB->count())
        m_savedVoiceIndex = index;
}

void TTSSetup::appendAddedVoices() {
    if (!m_voice)
        return;
    SpObjectTokens voices;
    try {
        voices = m_voice->GetVoices(QString(), QString());
    } catch (const SpeechError&) {
        return;
    }
    // The desktop's voices come before those of the engines after it, so the list is redone
    // from the first entry that changed, the chosen voice staying chosen.
    {
        const QSignalBlocker block(m_voiceCB);
        for (int i = 0; i < voices.size(); ++i) {
            if (i >= m_voiceCB->count())
                m_voiceCB->addItem(voices.at(i).GetDescription(0));
            else if (m_voiceCB->itemText(i) != voices.at(i).GetDescription(0))
                m_voiceCB->setItemText(i, voices.at(i).GetDescription(0));
        }
        try {
            const int current = int(voices.indexOf(m_voice->Voice()));
            if (current >= 0)
                m_voiceCB->setCurrentIndex(current);
        } catch (const SpeechError&) {
        }
    }
    if (m_savedVoiceIndex >= 0 && m_savedVoiceIndex < m_voiceCB->count())
        selectVoiceIndex(m_savedVoiceIndex);
}

// The user's choice of a voice is also the voice for its language (LanguageVoices.ini).
void TTSSetup::rememberVoiceForItsLanguage() {
    if (!m_voice)
        return;
    try {
        const SpObjectToken chosen = m_voice->Voice();
        if (!m_languageVoices.remember(m_voice->LanguageOf(chosen), chosen.Id()))
            return;
    } catch (const SpeechError&) {
        return;
    }
    QString error;
    if (!m_languageVoices.save(kLanguageVoicesFileName, &error))
        qWarning("The voices for languages could not be saved: %s", qPrintable(error));
}

// espeak-ng could not say it either: the window shows it.
void TTSSetup::showUnspokenNotice(const QString& text) {
    qWarning("%s", qPrintable(text));
    m_mainTxtBox->setPlainText(text);
}

void TTSSetup::showWhetherAudioSettingsApply() {
    bool apply = true;
    try {
        apply = !m_voice || m_voice->audioSettingsApply();
    } catch (const SpeechError&) {
    }
    m_formatCB->setToolTip(apply ? QString() : QString::fromLatin1(kFormatNotApplied));
    m_audioOutputCB->setToolTip(apply ? QString() : QString::fromLatin1(kOutputNotApplied));
}

QString TTSSetup::chosenVoiceName() const {
    return m_voiceCB->currentText();
}

void TTSSetup::chooseVoiceByName(const QString& name) {
    // A voice no longer installed keeps the chosen one.
    const int index = m_voiceCB->findText(name, Qt::MatchExactly);
    if (index >= 0 && index != m_voiceCB->currentIndex())
        selectVoiceIndex(index);
}

} // namespace orasent
