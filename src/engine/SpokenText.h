#pragma once
// The text of one Speak() call as espeak-ng gets it, and the way back from espeak-ng's event
// positions to offsets into the caller's text.
//
// espeak-ng reports a word as a 1-based position counted in code points, with a length capped
// at 31, and now and then zero-length, repeated, pointing at the blank after a word or moving
// backwards (after quotes, "e.g.", numbers such as "1234", emoji read as several words). This
// class turns such reports into spans that lie inside the text, start on a word, never move
// backwards, and are counted in UTF-16 units as QString counts them.
#include <QByteArray>
#include <QString>
#include <QVector>
#include <optional>

namespace orasent {

class SpokenText {
public:
    struct Span {
        int pos = 0;    // UTF-16 offset into the caller's text
        int length = 0; // UTF-16 units
        bool operator==(const Span& o) const { return pos == o.pos && length == o.length; }
    };

    // xml: the text is markup; tags then separate words and entities belong to their word.
    SpokenText(const QString& text, bool xml);

    // The text handed to espeak-ng (UTF-8, NUL-terminated by QByteArray). Every code point of
    // the caller's text stays one code point, so positions keep their meaning: control
    // characters (NUL included) and lone surrogates become blanks, and with xml a '<' that
    // opens no tag becomes a blank (espeak-ng would otherwise swallow the rest of the text).
    const QByteArray& espeakInput() const { return m_utf8; }
    int codePointCount() const { return int(m_codePoints.size()); }

    // A word event as espeak-ng reports it; nothing when the report adds no new word.
    std::optional<Span> word(int espeakPosition, int espeakLength);
    // A sentence event; its span runs to the end of the sentence's closing punctuation.
    std::optional<Span> sentence(int espeakPosition);

    // UTF-16 offset of a 0-based code point index (index == count gives the text's length).
    int utf16Offset(int codePointIndex) const { return m_utf16Offsets.at(codePointIndex); }

private:
    enum class Kind : unsigned char { Space, Word, Punct, Markup };
    std::optional<std::pair<int, int>> wordSpan(int cp,
                                                int espeakLength) const; // code points [b, e)
    Span toUtf16(int begin, int end) const;

    QVector<char32_t> m_codePoints;
    QVector<Kind> m_kinds;
    QVector<int> m_utf16Offsets; // size count + 1
    QByteArray m_utf8;
    int m_lastWordStart = -1;
    int m_lastSentenceStart = -1;
};

} // namespace orasent
