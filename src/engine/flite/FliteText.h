#pragma once
// The text of one Speak() call as Flite gets it, and the phrases it is synthesized in.
//
// Flite reads 8-bit text and knows English letters only, so the text becomes one byte per UTF-16
// unit: ASCII stays, accented Latin letters lose their accents ("é" -> "e"), curly quotes and
// dashes become their ASCII forms, and everything else (control characters, lone surrogates,
// emoji, letters of other scripts, markup tags) becomes a blank. A byte's offset is therefore the
// offset of its character in the caller's text, and a token Flite reports is found at its place.
//
// Phrases are cut after a sentence's end, after a clause's punctuation once a phrase is long,
// and at a blank (else anywhere) before kMostPhraseBytes, so the first audio comes after one
// short phrase has been synthesized and a stop is heard within one phrase's synthesis.
#include <QByteArray>
#include <QString>
#include <QVector>

namespace orasent {

struct FlitePhrase {
    int begin = 0; // byte offset (= UTF-16 offset) into the text
    int end = 0;
};

class FliteText {
public:
    static constexpr int kLongPhraseBytes = 80;
    static constexpr int kMostPhraseBytes = 200;

    // xml: the text is markup; tags become blanks and an entity is read as its character.
    FliteText(const QString& text, bool xml);

    const QByteArray& bytes() const { return m_bytes; }
    QVector<FlitePhrase> phrases() const;
    // Where `token` (as Flite names it) begins in [from, end), or -1.
    int find(const QByteArray& token, int from, int end) const;

    // Whether the character reads as one of Flite's (an ASCII or accented Latin letter or digit).
    static bool isReadable(QChar c);

private:
    void blankMarkup(const QString& text);

    QByteArray m_bytes;
};

} // namespace orasent
