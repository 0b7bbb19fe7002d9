#pragma once
// A word's meanings from WordNet 3.0: the senses of its base forms ("reads" → "read"), the most
// common first. WordNet's C library keeps its state in globals and is not thread-safe: the
// window's look-ups run on one thread (see MeaningLookup), every call here holds one lock, and
// its files are opened once, at the first look-up.
#include <QList>
#include <QString>

namespace orasent {

struct WordSense {
    QString partOfSpeech; // "noun", "verb", "adjective", "adverb"
    QString lemma;        // the base form the sense belongs to
    QString gloss;        // the definition, without its examples
};

struct WordMeaning {
    QString word;
    QList<WordSense> senses; // at most the limit asked for
    int moreSenses = 0;      // senses beyond them
    bool found() const { return !senses.isEmpty(); }
};

class WordMeanings {
public:
    static constexpr int kShownSenses = 10;

    // `dataFolder` empty: the one found at build time (or WNSEARCHDIR when set).
    explicit WordMeanings(const QString& dataFolder = {});
    // WordNet's files opened (tried once); false when its data is missing.
    bool open();
    // English only; any other language has no dictionary and finds nothing.
    WordMeaning lookUp(const QString& word, const QString& language = {}, int limit = kShownSenses);
    // How many times the files were opened in this process.
    static int timesOpened();

    // "Meaning of banana: noun: elongated crescent-shaped yellow fruit …", or "No meaning found
    // for WORD." — what the window shows and "Say Meaning" says.
    static QString describe(const WordMeaning& meaning, const QString& word);

private:
    bool openLocked();

    QString m_dataFolder;
};

} // namespace orasent
