// Word help's speech beside the reader's: one word, its syllables or its letters, or its meaning.
#include "speech/CharacterCase.h"
#include "speech/SpeakingCore.h"

namespace orasent {

bool SpeakingCore::speakAside(const QString& text, const QString& language, int rate) {
    if (text.trimmed().isEmpty() || !m_voice)
        return false;
    Following aside;
    aside.handedOver = text;
    LanguageChoice choice;
    QString spoken;
    {
        Step step(*this);
        // A language without a voice is read by the chosen voice; its notice belongs to the
        // reader's passages, not to a single word.
        if (m_voiceChooser && !language.isEmpty())
            choice = m_voiceChooser(language, m_speakBoxDocument);
        // The word list and the pronunciation rules, as for the reader's sentence.
        const QString replaced = rewriteForSpeech(upperCaseByCharacter(text), text, language, true,
                                                  &aside.edits, choice.voice);
        spoken = plainTextBoxForm(replaced, &aside.edits);
    }
    const int chosenRate = m_voice->Rate();
    try {
        m_voice->setRate(rate);
        const int stream = speakIn(spoken, choice.voice);
        m_voice->setRate(chosenRate);
        m_lastStream = stream;
        m_borrowedStream = choice.voice.isNull() ? 0 : stream;
        endFollowing();
        endAside();
        aside.stream = stream;
        m_aside = std::move(aside);
        applySpeakingState(true);
        return true;
    } catch (const SpeechError&) {
        m_voice->setRate(chosenRate);
        endAside();
        return false;
    }
}

void SpeakingCore::endAside() {
    if (m_aside.stream == 0)
        return;
    m_aside = Following();
    emit asideEnded();
}

} // namespace orasent
