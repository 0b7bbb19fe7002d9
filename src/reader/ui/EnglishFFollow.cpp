// Follow-along reading: while a text the reader handed over is heard, the word being heard gets
// a band behind it in Text1. The band is an extra selection, so the text, selection, caret,
// scroll position and focus stay as they are. The window knows what Text1 shows (what it put
// there, or the user's edit) without reading it back, and a continuous-play step waits for the
// speech window's pickup.
#include "reader/ui/EnglishF.h"

#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace orasent {

void EnglishF::followSpeech() {
    SpeakingCore& core = m_tts.speakingCore();
    connect(&core, &SpeakingCore::handedOverWordHeard, this, &EnglishF::showHeardWord);
    connect(&core, &SpeakingCore::handedOverSpeechEnded, this, &EnglishF::clearBand);
    // Painted when the first word is heard: a paint before the first sound reaches the device
    // holds it up. A pickup that left nothing speaking has no word to wait for.
    connect(&core, &SpeakingCore::pickupDone, this, [this] {
        if (m_tts.isIdle())
            releaseSentencePaint();
    });
    m_sentencePaintLimit = new QTimer(this);
    m_sentencePaintLimit->setSingleShot(true);
    m_sentencePaintLimit->setInterval(250); // ms; a pickup that does not come holds no longer
    connect(m_sentencePaintLimit, &QTimer::timeout, this, &EnglishF::releaseSentencePaint);
    // What the user types into the sentence box is the sentence Again speaks.
    connect(m_text1, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showingSentence)
            return;
        m_shownSentence = sentenceText();
        m_model.sentenceEdited(m_shownSentence);
    });
    m_handOverWait = new QTimer(this);
    m_handOverWait->setSingleShot(true);
    m_handOverWait->setTimerType(Qt::PreciseTimer);
    connect(m_handOverWait, &QTimer::timeout, this, &EnglishF::endHandOverWait);
    connect(&m_tts.speakingCore(), &SpeakingCore::pickupDone, this, &EnglishF::endHandOverWait);
}

void EnglishF::holdSentencePaint() {
    if (m_sentencePaint != SentencePaint::Shown || !m_sentencePaintLimit)
        return;
    m_sentencePaint = SentencePaint::Held;
    m_text1->setUpdatesEnabled(false);
    m_sentencePaintLimit->start();
    // Runs before any pickup that follows: a sentence not handed to the voice is painted then.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_sentencePaint != SentencePaint::HeldForPickup)
                releaseSentencePaint();
        },
        Qt::QueuedConnection);
}

void EnglishF::releaseSentencePaint() {
    if (m_sentencePaint == SentencePaint::Shown)
        return;
    m_sentencePaint = SentencePaint::Shown;
    m_sentencePaintLimit->stop();
    m_text1->setUpdatesEnabled(true);
}

void EnglishF::setFollowAlong(const FollowAlongSettings& settings) {
    m_followAlong = settings;
    if (!settings.enabled)
        clearBand();
}

namespace {
QTextEdit::ExtraSelection bandOver(QTextDocument* document, int from, int length,
                                   const QColor& colour) {
    QTextEdit::ExtraSelection band;
    band.cursor = QTextCursor(document);
    band.cursor.setPosition(from);
    band.cursor.setPosition(from + length, QTextCursor::KeepAnchor);
    band.format.setBackground(colour);
    return band;
}

// The shown span of the whole handed-over text, without the blanks and line ends around it.
std::optional<std::pair<int, int>> sentenceSpan(const QString& handedOver) {
    int from = 0, to = int(handedOver.size());
    while (from < to && handedOver.at(from).isSpace())
        ++from;
    while (to > from && handedOver.at(to - 1).isSpace())
        --to;
    return shownSpanOf(handedOver, from, to - from);
}
} // namespace

// A word of a text that Text1 no longer shows (edited, or a newer sentence) gets no band. The
// sentence band goes first, so the word's band is painted over it.
void EnglishF::showHeardWord(const QString& handedOver, int start, int length) {
    releaseSentencePaint();
    if (!m_followAlong.enabled)
        return;
    // Text1 shows what was put there (a sentence, or the user's edit of it): known without
    // reading it back.
    if (handedOver != m_shownSentence) {
        clearBand();
        return;
    }
    const QColor wordColour =
        m_followAlong.band.isValid() ? m_followAlong.band : defaultBandColour(m_text1->palette());
    QList<QTextEdit::ExtraSelection> bands;
    if (m_followAlong.sentence) {
        const auto whole = sentenceSpan(handedOver);
        if (whole && whole->second > 0) {
            const QColor colour =
                m_followAlong.sentenceBand.isValid()
                    ? m_followAlong.sentenceBand
                    : lighterBand(wordColour, m_text1->palette().color(QPalette::Base));
            bands << bandOver(m_text1->document(), whole->first, whole->second, colour);
        }
    }
    if (m_followAlong.word) {
        const auto span = shownSpanOf(handedOver, start, length);
        if (span && span->second > 0)
            bands << bandOver(m_text1->document(), span->first, span->second, wordColour);
    }
    if (bands.isEmpty())
        clearBand();
    else
        m_text1->setExtraSelections(bands);
}

void EnglishF::clearBand() {
    if (!m_text1->extraSelections().isEmpty())
        m_text1->setExtraSelections({});
}

} // namespace orasent
