// Follow-along reading: while a text the reader handed over is heard, the word being heard gets
// a band behind it in Text1. The band is an extra selection, so the text, selection, caret,
// scroll position and focus stay as they are.
#include "reader/ui/EnglishF.h"

#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

namespace orasent {

void EnglishF::followSpeech() {
    SpeakingCore& core = m_tts.speakingCore();
    connect(&core, &SpeakingCore::handedOverWordHeard, this, &EnglishF::showHeardWord);
    connect(&core, &SpeakingCore::handedOverSpeechEnded, this, &EnglishF::clearBand);
}

void EnglishF::setFollowAlong(const FollowAlongSettings& settings) {
    m_followAlong = settings;
    if (!settings.enabled)
        clearBand();
}

// A word of a text that Text1 no longer shows (edited, or a newer sentence) gets no band.
void EnglishF::showHeardWord(const QString& handedOver, int start, int length) {
    if (!m_followAlong.enabled)
        return;
    const auto span = shownSpan(handedOver, start, length, m_text1->toPlainText());
    if (!span || span->second <= 0) {
        clearBand();
        return;
    }
    QTextEdit::ExtraSelection band;
    band.cursor = QTextCursor(m_text1->document());
    band.cursor.setPosition(span->first);
    band.cursor.setPosition(span->first + span->second, QTextCursor::KeepAnchor);
    band.format.setBackground(m_followAlong.band.isValid() ? m_followAlong.band
                                                           : defaultBandColour(m_text1->palette()));
    m_text1->setExtraSelections({band});
}

void EnglishF::clearBand() {
    if (!m_text1->extraSelections().isEmpty())
        m_text1->setExtraSelections({});
}

} // namespace orasent
