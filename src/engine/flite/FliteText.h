#pragma once
// The text of one Speak() call as Flite gets it, and the phrases it is synthesized in.
//
// Flite reads 8-bit text and knows English letters only, so each UTF-16 unit becomes one byte:
// ASCII stays, accented Latin letters lose their accents ("é" -> "e"), curly quotes and dashes
// become their ASCII forms, and everything else (control characters, lone surrogates, emoji,
// letters of other scripts) becomes a blank. In markup a tag becomes a blank (none before
// punctuation, which stays with its word) and an entity its character. Each byte remembers the
// characters of the caller's text it stands for, so a token Flite reports maps back to them.
//
// Phrases are cut after a sentence's end, after a clause's punctuation once a phrase is long,
// and at a blank (else anywhere) before kMostPhraseBytes, so no synthesis holds a long text. A
// phrase without a letter or digit is left out.
#include <QByteArray>
#include <QString>
#include <QVector>
#include <utility>

namespace orasent {

// A word given as CMU phones (the inline form of CmuPhones.h): a made-up word stands for it in
// the bytes, and Flite is told its phones (see FliteSounds.h).
struct FliteSoundWord {
    QByteArray token;  // the made-up word, lower-case letters
    QByteArray phones; // Flite's phones with their stress, blank-separated
};

struct FlitePhrase {
    int begin = 0; // byte offsets into bytes()
    int end = 0;
    // Cut inside a sentence where no punctuation is: the speech runs on into the next phrase
    // without the pause Flite puts at the ends of a text.
    bool runsOn = false;
};

class FliteText {
public:
    // A phrase's synthesis cannot be stopped before its first audio, which takes about 4 ms a
    // word on a busy machine: a phrase of at most 20 words or so lets a new text start soon.
    static constexpr int kLongPhraseBytes = 60;
    static constexpr int kMostPhraseBytes = 120;

    // xml: the text is markup; tags become blanks and an entity is read as its character.
    FliteText(const QString& text, bool xml);

    const QByteArray& bytes() const { return m_bytes; }
    // With firstPhraseBytes, the first phrase ends at the first blank after that many bytes
    // (a played text starts after a few words have been synthesized, not a whole sentence).
    QVector<FlitePhrase> phrases(int firstPhraseBytes = 0) const;
    // Where `token` (as Flite names it) begins in [from, end) of bytes(), or -1.
    int find(const QByteArray& token, int from, int end) const;
    // The caller's characters that bytes [at, at + length) stand for: UTF-16 offset and length.
    std::pair<int, int> sourceSpan(int at, int length) const;

    const QVector<FliteSoundWord>& soundWords() const { return m_soundWords; }

    // Whether the character reads as one of Flite's (an ASCII or accented Latin letter or digit).
    static bool isReadable(QChar c);

private:
    std::pair<int, bool> nextCut(int begin, int early) const;
    void append(char c, int begin, int end);
    // The tag or entity at `i`: appends what it reads as and returns the offset after it, or
    // -1 when there is none.
    qsizetype readMarkup(const QString& text, qsizetype i);
    // The same for the inline form of CMU phones at `i` (a made-up word, see FliteSounds.h).
    qsizetype readSounds(const QString& text, qsizetype i);

    QByteArray m_bytes;
    QVector<int> m_begin; // per byte: the first UTF-16 unit it stands for
    QVector<int> m_end;   // and the one after the last
    QVector<FliteSoundWord> m_soundWords;
};

} // namespace orasent
