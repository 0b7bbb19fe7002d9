#pragma once
// The text of one Speak() call as speech-dispatcher gets it: SSML with a <mark name="N"/> before
// each word, and the way back from mark N to the word's span in the caller's text.
//
// With xml the caller's tags are left out (each one separates words) and its entities are
// decoded and escaped again; without it every character is text. A word is a run of characters
// between blanks and tags, its span trimmed of leading and trailing punctuation; a run of
// punctuation only is spoken but gets no mark. Characters that XML cannot carry (control
// characters, lone surrogates) become blanks.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace orasent {

struct MarkedText {
    struct Span {
        int pos = 0;    // UTF-16 offset into the caller's text
        int length = 0; // UTF-16 units
        bool operator==(const Span& o) const { return pos == o.pos && length == o.length; }
    };
    QByteArray ssml;        // UTF-8, "<speak>...</speak>"
    QVector<Span> words;    // mark N stands before words[N]
    bool hasSpeech = false; // anything but blanks and markup

    // The word of mark `name` ("0", "1", ...), or nullptr for a name that is no mark of ours.
    const Span* wordForMark(const char* name) const;
    // From the first word's start to the last word's end; {0, 0} without words.
    Span wholeSpan() const;
};

MarkedText markWords(const QString& text, bool xml);

} // namespace orasent
