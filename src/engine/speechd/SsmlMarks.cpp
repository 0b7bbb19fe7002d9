#include "engine/speechd/SsmlMarks.h"

#include <QChar>
#include <cstdlib>

namespace orasent {

namespace {

// One character of the text as spoken, with the stretch of the caller's text it came from.
struct Unit {
    char32_t cp = ' ';
    int begin = 0; // UTF-16 offsets
    int end = 0;
    bool separator = false; // a blank or a tag
};

bool carriedByXml(char32_t c) {
    if (c == '\t' || c == '\n' || c == '\r')
        return true;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return false;
    return c != 0xFFFE && c != 0xFFFF && !(c >= 0xD800 && c <= 0xDFFF) && c <= 0x10FFFF;
}

bool isPunctuation(char32_t c) {
    const bool asciiSymbol =
        c < 0x80 && !(c >= '0' && c <= '9') && !(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z');
    return asciiSymbol || QChar::isPunct(c);
}

// Length of a tag starting at `at` ('<' then a name, '/', '!' or '?', and '>' before any '<'),
// or 0 when the '<' opens none.
int tagLength(const QString& text, int at) {
    if (at + 1 >= text.size())
        return 0;
    const QChar next = text.at(at + 1);
    const bool opens = (next.unicode() < 0x80 && next.isLetter()) || next == u'/' || next == u'!' ||
                       next == u'?' || next == u'_';
    if (!opens)
        return 0;
    for (int j = at + 1; j < text.size(); ++j) {
        if (text.at(j) == u'<')
            return 0;
        if (text.at(j) == u'>')
            return j - at + 1;
    }
    return 0;
}

// An entity at `at` ("&amp;", "&#233;", "&#x1F600;"): its length and the character it names;
// length 0 when it is none of these (the '&' is then text).
int entityAt(const QString& text, int at, char32_t* decoded) {
    int j = at + 1;
    while (j < text.size() && j - at <= 10 && text.at(j).unicode() < 0x80 &&
           (text.at(j).isLetterOrNumber() || text.at(j) == u'#'))
        ++j;
    if (j >= text.size() || text.at(j) != u';' || j == at + 1)
        return 0;
    const QString name = text.mid(at + 1, j - at - 1);
    static const struct {
        const char* name;
        char32_t cp;
    } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& n : named) {
        if (name == QLatin1String(n.name)) {
            *decoded = n.cp;
            return j - at + 1;
        }
    }
    if (name.startsWith(u'#')) {
        bool ok = false;
        const bool hex = name.size() > 1 && (name.at(1) == u'x' || name.at(1) == u'X');
        const uint value = name.mid(hex ? 2 : 1).toUInt(&ok, hex ? 16 : 10);
        if (ok && value > 0 && value <= 0x10FFFF) {
            *decoded = carriedByXml(value) ? char32_t(value) : char32_t(' ');
            return j - at + 1;
        }
    }
    return 0;
}

QVector<Unit> splitUnits(const QString& text, bool xml) {
    QVector<Unit> units;
    units.reserve(text.size());
    for (int i = 0; i < text.size();) {
        Unit u;
        u.begin = i;
        const QChar c = text.at(i);
        int length = 1;
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            u.cp = QChar::surrogateToUcs4(c, text.at(i + 1));
            length = 2;
        } else if (xml && c == u'<' && (length = tagLength(text, i)) > 0) {
            u.separator = true;
        } else if (xml && c == u'&' && (length = entityAt(text, i, &u.cp)) > 0) {
        } else {
            length = 1;
            u.cp = carriedByXml(c.unicode()) ? c.unicode() : ' ';
        }
        if (!u.separator && QChar::isSpace(u.cp))
            u.separator = true;
        u.end = i + length;
        units.append(u);
        i += length;
    }
    return units;
}

void appendEscaped(QString& out, char32_t c) {
    switch (c) {
    case '&':
        out += QLatin1String("&amp;");
        return;
    case '<':
        out += QLatin1String("&lt;");
        return;
    case '>':
        out += QLatin1String("&gt;");
        return;
    case '"':
        out += QLatin1String("&quot;");
        return;
    default:
        break;
    }
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

} // namespace

MarkedText markWords(const QString& text, bool xml) {
    MarkedText result;
    const QVector<Unit> units = splitUnits(text, xml);
    QString ssml = QStringLiteral("<speak>");
    for (int i = 0; i < units.size();) {
        if (units[i].separator) {
            ssml += QLatin1Char(' ');
            ++i;
            continue;
        }
        int end = i;
        while (end < units.size() && !units[end].separator)
            ++end;
        // The marked span: the run without its leading and trailing punctuation.
        int first = i;
        int last = end - 1;
        while (first <= last && isPunctuation(units[first].cp))
            ++first;
        while (last >= first && isPunctuation(units[last].cp))
            --last;
        if (first <= last) {
            ssml += QStringLiteral("<mark name=\"%1\"/>").arg(result.words.size());
            result.words.append({units[first].begin, units[last].end - units[first].begin});
        }
        for (int k = i; k < end; ++k)
            appendEscaped(ssml, units[k].cp);
        result.hasSpeech = true;
        i = end;
    }
    ssml += QStringLiteral("</speak>");
    result.ssml = ssml.toUtf8();
    return result;
}

const MarkedText::Span* MarkedText::wordForMark(const char* name) const {
    if (!name || *name < '0' || *name > '9')
        return nullptr;
    char* end = nullptr;
    const long index = std::strtol(name, &end, 10);
    if (*end != '\0' || index < 0 || index >= words.size())
        return nullptr;
    return &words.at(int(index));
}

MarkedText::Span MarkedText::wholeSpan() const {
    if (words.isEmpty())
        return {};
    const int begin = words.first().pos;
    return {begin, words.last().pos + words.last().length - begin};
}

} // namespace orasent
