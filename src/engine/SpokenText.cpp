#include "engine/SpokenText.h"

#include <QChar>

namespace orasent {

namespace {

bool isControl(char32_t c) {
    if (c == '\t' || c == '\n' || c == '\r')
        return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool isAsciiLetter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isAsciiAlnum(char32_t c) {
    return isAsciiLetter(c) || (c >= '0' && c <= '9');
}

// Inside a word these join its parts: "e.g", "don't", "3.14".
bool isJoiner(char32_t c) {
    return c == '.' || c == '\'' || c == 0x2019;
}

bool isSentenceEnd(char32_t c) {
    return c == '.' || c == '!' || c == '?' || c == 0x2026 || c == 0x3002 || c == 0xFF01 ||
           c == 0xFF1F;
}

// espeak-ng overflows a buffer and aborts on a word with dozens of apostrophes ("s's's'...");
// a word keeps this many, later ones are read as blanks.
constexpr int kMaxApostrophesPerWord = 4;

bool isApostrophe(char32_t c) {
    return c == '\'' || c == 0x2019 || c == 0x02BC;
}

// Length of an apostrophe entity ("&apos;", "&#39;", "&rsquo;" ...) starting at `at`, or 0.
int apostropheEntityLength(const QVector<char32_t>& cps, int at) {
    for (const char* entity : {"&apos;", "&#39;", "&#x27;", "&rsquo;", "&#8217;", "&#x2019;"}) {
        const int length = int(qstrlen(entity));
        int k = 0;
        while (k < length && at + k < cps.size() &&
               QChar::toLower(cps[at + k]) == char32_t(entity[k]))
            ++k;
        if (k == length)
            return length;
    }
    return 0;
}

} // namespace

SpokenText::SpokenText(const QString& text, bool xml) {
    m_codePoints.reserve(text.size());
    m_utf16Offsets.reserve(text.size() + 1);
    for (int i = 0; i < text.size();) {
        m_utf16Offsets.append(i);
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            m_codePoints.append(QChar::surrogateToUcs4(c, text.at(i + 1)));
            i += 2;
            continue;
        }
        char32_t cp = c.unicode();
        if (c.isSurrogate() || isControl(cp))
            cp = ' ';
        m_codePoints.append(cp);
        ++i;
    }
    m_utf16Offsets.append(text.size());

    const int n = int(m_codePoints.size());
    m_kinds.resize(n);
    for (int i = 0; i < n; ++i) {
        const char32_t c = m_codePoints[i];
        // ASCII symbols such as '<', '+' or '$' separate words like punctuation does; other
        // symbols (emoji, currency signs) are read aloud and count as words.
        const bool punct = QChar::isPunct(c) || (c < 0x80 && !isAsciiAlnum(c));
        m_kinds[i] = QChar::isSpace(c) ? Kind::Space : punct ? Kind::Punct : Kind::Word;
    }

    if (xml) {
        for (int i = 0; i < n; ++i) {
            if (m_codePoints[i] == '<') {
                // A tag: '<' then a name, '/', '!' or '?', and a '>' before any other '<'.
                int close = -1;
                const bool opens =
                    i + 1 < n && (isAsciiLetter(m_codePoints[i + 1]) ||
                                  m_codePoints[i + 1] == '/' || m_codePoints[i + 1] == '!' ||
                                  m_codePoints[i + 1] == '?' || m_codePoints[i + 1] == '_');
                for (int j = i + 1; opens && j < n; ++j) {
                    if (m_codePoints[j] == '<')
                        break;
                    if (m_codePoints[j] == '>') {
                        close = j;
                        break;
                    }
                }
                if (close < 0) {
                    m_codePoints[i] = ' ';
                    m_kinds[i] = Kind::Space;
                    continue;
                }
                for (int j = i; j <= close; ++j)
                    m_kinds[j] = Kind::Markup;
                i = close;
            } else if (m_codePoints[i] == '&') {
                // An entity such as "&amp;" or "&#233;" is part of the word it stands in.
                int j = i + 1;
                while (j < n && j - i <= 10 &&
                       (isAsciiAlnum(m_codePoints[j]) || m_codePoints[j] == '#'))
                    ++j;
                if (j < n && j > i + 1 && m_codePoints[j] == ';') {
                    for (int k = i; k <= j; ++k)
                        m_kinds[k] = Kind::Word;
                    i = j;
                }
            }
        }
    }

    int apostrophes = 0;
    for (int i = 0; i < n; ++i) {
        if (m_kinds[i] == Kind::Space) {
            apostrophes = 0;
            continue;
        }
        if (m_kinds[i] == Kind::Markup)
            continue; // quotes of a tag's attributes
        const int length = isApostrophe(m_codePoints[i]) ? 1
                           : xml                         ? apostropheEntityLength(m_codePoints, i)
                                                         : 0;
        if (length > 0 && ++apostrophes > kMaxApostrophesPerWord) {
            for (int k = i; k < i + length; ++k) {
                m_codePoints[k] = ' ';
                m_kinds[k] = Kind::Space;
            }
        }
        i += qMax(length, 1) - 1;
    }

    QString cleaned;
    cleaned.reserve(text.size());
    for (char32_t c : m_codePoints) {
        if (QChar::requiresSurrogates(c)) {
            cleaned.append(QChar(QChar::highSurrogate(c)));
            cleaned.append(QChar(QChar::lowSurrogate(c)));
        } else {
            cleaned.append(QChar(char16_t(c)));
        }
    }
    m_utf8 = cleaned.toUtf8();
}

std::optional<std::pair<int, int>> SpokenText::wordSpan(int cp, int espeakLength) const {
    const int n = codePointCount();
    if (cp < 0)
        cp = 0;
    if (cp >= n)
        return std::nullopt;
    // A report on a blank or inside a tag continues the word before it (a number or an emoji
    // read as several words); it names no new word.
    if (m_kinds[cp] == Kind::Space || m_kinds[cp] == Kind::Markup)
        return std::nullopt;

    auto inToken = [&](int i) {
        return i >= 0 && i < n && (m_kinds[i] == Kind::Word || m_kinds[i] == Kind::Punct);
    };
    auto isWordAt = [&](int i) {
        if (i < 0 || i >= n)
            return false;
        if (m_kinds[i] == Kind::Word)
            return true;
        return isJoiner(m_codePoints[i]) && i > 0 && m_kinds[i - 1] == Kind::Word && i + 1 < n &&
               m_kinds[i + 1] == Kind::Word;
    };
    int tokenBegin = cp;
    while (inToken(tokenBegin - 1))
        --tokenBegin;
    int tokenEnd = cp + 1;
    while (inToken(tokenEnd))
        ++tokenEnd;

    int begin = cp;
    if (isWordAt(cp)) {
        while (begin > tokenBegin && isWordAt(begin - 1))
            --begin;
    } else {
        // Punctuation: the word it leads ("quoted" after its quote), else the word it trails.
        int next = cp;
        while (next < tokenEnd && !isWordAt(next))
            ++next;
        if (next < tokenEnd) {
            begin = next;
        } else {
            int prev = cp;
            while (prev >= tokenBegin && !isWordAt(prev))
                --prev;
            if (prev >= tokenBegin) {
                while (prev > tokenBegin && isWordAt(prev - 1))
                    --prev;
                begin = prev;
            } else {
                begin = tokenBegin; // a token of punctuation only, such as "--"
            }
        }
    }
    int end = begin;
    while (end < tokenEnd && isWordAt(end))
        ++end;
    if (end == begin)
        end = tokenEnd;
    const int reportedEnd = qMin(tokenEnd, cp + qMax(0, espeakLength));
    if (reportedEnd > end) {
        // A capped or wider report: keep it, without trailing punctuation.
        const int runEnd = end;
        end = reportedEnd;
        while (end > runEnd && m_kinds[end - 1] == Kind::Punct)
            --end;
    }
    return std::make_pair(begin, end);
}

SpokenText::Span SpokenText::toUtf16(int begin, int end) const {
    return Span{m_utf16Offsets[begin], m_utf16Offsets[end] - m_utf16Offsets[begin]};
}

std::optional<SpokenText::Span> SpokenText::word(int espeakPosition, int espeakLength) {
    const auto span = wordSpan(espeakPosition - 1, espeakLength);
    if (!span || span->first <= m_lastWordStart)
        return std::nullopt;
    m_lastWordStart = span->first;
    return toUtf16(span->first, span->second);
}

std::optional<SpokenText::Span> SpokenText::sentence(int espeakPosition) {
    const int n = codePointCount();
    int cp = qMax(0, espeakPosition - 1);
    while (cp < n && (m_kinds[cp] == Kind::Space || m_kinds[cp] == Kind::Markup))
        ++cp;
    if (cp >= n)
        return std::nullopt;
    const auto span = wordSpan(cp, 0);
    if (!span || span->first <= m_lastSentenceStart)
        return std::nullopt;
    const int begin = span->first;
    int end = begin;
    int lastText = begin;
    for (int i = begin; i < n; ++i) {
        if (m_kinds[i] == Kind::Word || m_kinds[i] == Kind::Punct)
            lastText = i;
        if (isSentenceEnd(m_codePoints[i]) && m_kinds[i] == Kind::Punct &&
            (i + 1 == n || m_kinds[i + 1] == Kind::Space || m_kinds[i + 1] == Kind::Markup)) {
            end = i + 1;
            break;
        }
    }
    if (end == begin)
        end = lastText + 1;
    m_lastSentenceStart = begin;
    return toUtf16(begin, end);
}

} // namespace orasent
