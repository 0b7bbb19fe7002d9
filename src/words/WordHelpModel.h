#pragma once
// What the "Word Help" window shows and says for one picked word: its syllables, its meaning
// (looked up on WordNet's thread) and four ways to hear it. Speech goes through the speaking
// core's aside, so it takes the same rewriting and the voice of the word's language; the part
// being heard (a syllable, a letter) is marked as a span of the dotted syllables.
#include "words/Syllables.h"
#include "words/WordMeanings.h"

#include <QObject>
#include <QString>
#include <QStringList>

namespace orasent {

class MeaningLookup;
class SpeakingCore;

class WordHelpModel : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, SayingWord, SayingSlowly, Spelling, SayingMeaning };
    Q_ENUM(State)

    // The rate steps "Say It Slowly" goes below the voice's own rate.
    static constexpr int kSlowerBy = 6;

    WordHelpModel(Syllables& syllables, MeaningLookup& lookup, SpeakingCore& core,
                  QObject* parent = nullptr);

    // A new word: its syllables at once, its meaning when the look-up answers.
    void setWord(const QString& word, const QString& language);
    QString word() const { return m_word; }
    QString dotted() const { return Syllables::dotted(m_split.syllables); }
    // What the Meaning field shows; "Looking up …" until the answer.
    QString meaningText() const { return m_meaningText; }
    State state() const { return m_state; }

    void sayIt();
    void sayItSlowly();
    void spellIt();
    void sayMeaning();
    void stop();

signals:
    void stateChanged(orasent::WordHelpModel::State state);
    void wordChanged();
    void meaningChanged(const QString& text);
    // The part being heard as a span of dotted(); length 0: nothing marked.
    void markChanged(int start, int length);

private:
    void say(State state, const QStringList& pieces, const QList<int>& marks, int rate);
    void setState(State state);
    void onAsideWord(int start, int length);
    void onMeaning(int ticket, const WordMeaning& meaning);
    int chosenRate() const;

    Syllables& m_syllables;
    MeaningLookup& m_lookup;
    SpeakingCore& m_core;
    State m_state = State::Idle;
    QString m_word;
    QString m_language;
    SyllableSplit m_split;
    QString m_meaningText;
    int m_ticket = 0;
    // While speaking pieces: where each starts in the spoken text and in dotted().
    QList<int> m_pieceStarts;
    QList<int> m_pieceMarks;
    QList<int> m_pieceLengths;
};

} // namespace orasent
