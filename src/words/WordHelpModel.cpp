#include "words/WordHelpModel.h"

#include "speech/SpeakingCore.h"
#include "words/MeaningLookup.h"

namespace orasent {

WordHelpModel::WordHelpModel(Syllables& syllables, MeaningLookup& lookup, SpeakingCore& core,
                             QObject* parent)
    : QObject(parent), m_syllables(syllables), m_lookup(lookup), m_core(core) {
    connect(&m_core, &SpeakingCore::asideWordHeard, this, &WordHelpModel::onAsideWord);
    connect(&m_core, &SpeakingCore::asideEnded, this, [this] { setState(State::Idle); });
    connect(&m_lookup, &MeaningLookup::found, this, &WordHelpModel::onMeaning);
}

void WordHelpModel::setWord(const QString& word, const QString& language) {
    stop();
    m_word = word;
    m_language = language;
    m_split = m_syllables.split(word, language);
    m_meaningText = QStringLiteral("Looking up %1…").arg(word);
    m_ticket = m_lookup.lookUp(word, language);
    emit wordChanged();
    emit meaningChanged(m_meaningText);
}

void WordHelpModel::onMeaning(int ticket, const WordMeaning& meaning) {
    if (ticket != m_ticket)
        return;
    m_meaningText = WordMeanings::describe(meaning, m_word);
    emit meaningChanged(m_meaningText);
}

int WordHelpModel::chosenRate() const {
    return m_core.voice() ? m_core.voice()->Rate() : 0;
}

void WordHelpModel::sayIt() {
    say(State::SayingWord, {m_word}, {}, chosenRate());
}

// One syllable after another, each marked while it is heard.
void WordHelpModel::sayItSlowly() {
    QList<int> marks;
    int at = 0;
    for (const QString& syllable : m_split.syllables) {
        marks << at;
        at += int(syllable.size()) + 1; // the dot after it
    }
    say(State::SayingSlowly, m_split.syllables, marks, qMax(-10, chosenRate() - kSlowerBy));
}

// Letter by letter (apostrophes and hyphens are not said), each marked in the dotted word.
void WordHelpModel::spellIt() {
    QStringList letters;
    QList<int> marks;
    const QString shown = dotted();
    for (int i = 0; i < shown.size(); ++i) {
        if (!shown.at(i).isLetterOrNumber())
            continue;
        const int size = shown.at(i).isHighSurrogate() && i + 1 < shown.size() ? 2 : 1;
        letters << shown.mid(i, size);
        marks << i;
        i += size - 1;
    }
    say(State::Spelling, letters, marks, chosenRate());
}

void WordHelpModel::sayMeaning() {
    say(State::SayingMeaning, {m_meaningText}, {}, chosenRate());
}

void WordHelpModel::stop() {
    if (m_state != State::Idle)
        m_core.stopVoice();
    setState(State::Idle);
}

void WordHelpModel::say(State state, const QStringList& pieces, const QList<int>& marks, int rate) {
    if (pieces.isEmpty() || m_word.isEmpty())
        return;
    m_pieceStarts.clear();
    m_pieceLengths.clear();
    int at = 0;
    for (const QString& piece : pieces) {
        m_pieceStarts << at;
        m_pieceLengths << int(piece.size());
        at += int(piece.size()) + 1;
    }
    m_pieceMarks = marks;
    emit markChanged(0, 0);
    // The meaning is English (WordNet's), whatever the passage's language.
    const bool speaking =
        m_core.speakAside(pieces.join(QLatin1Char(' ')),
                          state == State::SayingMeaning ? QStringLiteral("en") : m_language, rate);
    // Whatever was said before has ended by now; an engine that refused leaves it idle.
    setState(speaking ? state : State::Idle);
}

// The piece a heard word falls in is marked.
void WordHelpModel::onAsideWord(int start, int length) {
    Q_UNUSED(length);
    if (m_state == State::Idle || m_pieceMarks.isEmpty())
        return;
    int piece = 0;
    while (piece + 1 < m_pieceStarts.size() && m_pieceStarts.at(piece + 1) <= start)
        ++piece;
    emit markChanged(m_pieceMarks.at(piece), m_pieceLengths.at(piece));
}

void WordHelpModel::setState(State state) {
    if (state == m_state)
        return;
    m_state = state;
    if (state == State::Idle)
        emit markChanged(0, 0);
    emit stateChanged(state);
}

} // namespace orasent
