#include "documents/XmlEntities.h"

#include <QHash>
#include <QSet>

namespace orasent {

namespace {

struct Declarations {
    QHash<QByteArray, QByteArray> values; // internal general entities, as declared
    QSet<QByteArray> external;            // SYSTEM or PUBLIC: read as nothing
};

bool isNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':' || (c & 0x80);
}

qsizetype skipBlanks(const QByteArray& s, qsizetype at) {
    while (at < s.size() && (s[at] == ' ' || s[at] == '\t' || s[at] == '\r' || s[at] == '\n'))
        ++at;
    return at;
}

// A quoted literal at `at`; returns the offset after it, or -1.
qsizetype quoted(const QByteArray& s, qsizetype at, QByteArray* value) {
    if (at >= s.size() || (s[at] != '"' && s[at] != '\''))
        return -1;
    const qsizetype end = s.indexOf(s[at], at + 1);
    if (end < 0)
        return -1;
    *value = s.mid(at + 1, end - at - 1);
    return end + 1;
}

// One <!ENTITY ...> at `at` (just after "<!ENTITY"); returns the offset after its '>', or -1.
qsizetype readDeclaration(const QByteArray& s, qsizetype at, Declarations* out) {
    at = skipBlanks(s, at);
    const bool parameter = at < s.size() && s[at] == '%';
    if (parameter)
        at = skipBlanks(s, at + 1);
    const qsizetype nameStart = at;
    while (at < s.size() && isNameChar(s[at]))
        ++at;
    const QByteArray name = s.mid(nameStart, at - nameStart);
    at = skipBlanks(s, at);
    QByteArray value;
    const bool external = s.mid(at, 6) == "SYSTEM" || s.mid(at, 6) == "PUBLIC";
    if (external) {
        // PUBLIC "id" "uri" or SYSTEM "uri", perhaps NDATA: up to the '>' outside quotes.
        at += 6;
        for (qsizetype next; (next = quoted(s, skipBlanks(s, at), &value)) >= 0;)
            at = next;
    } else if ((at = quoted(s, at, &value)) < 0) {
        return -1;
    }
    const qsizetype end = s.indexOf('>', at);
    if (end < 0 || name.isEmpty())
        return -1;
    if (!parameter && !out->values.contains(name) && !out->external.contains(name)) {
        if (external)
            out->external.insert(name);
        else
            out->values.insert(name, value);
    }
    return end + 1;
}

// The internal subset from its '[': the declarations and the offset of the closing ']'.
qsizetype readSubset(const QByteArray& s, qsizetype at, Declarations* out) {
    while (at < s.size()) {
        at = skipBlanks(s, at);
        if (at < s.size() && s[at] == ']')
            return at;
        if (s.mid(at, 4) == "<!--") {
            const qsizetype end = s.indexOf("-->", at + 4);
            if (end < 0)
                return -1;
            at = end + 3;
        } else if (s.mid(at, 8) == "<!ENTITY") {
            if ((at = readDeclaration(s, at + 8, out)) < 0)
                return -1;
        } else if (at < s.size() && (s[at] == '<' || s[at] == '%')) {
            // Other declarations and parameter entity references: up to '>' or ';'.
            QByteArray ignored;
            qsizetype i = at + 1;
            while (i < s.size() && s[i] != '>' && !(s[at] == '%' && s[i] == ';')) {
                const qsizetype next = quoted(s, i, &ignored);
                i = next >= 0 ? next : i + 1;
            }
            at = i + 1;
        } else {
            return -1;
        }
    }
    return -1;
}

class Expander {
public:
    explicit Expander(const Declarations& declarations) : m_declarations(declarations) {}

    // Appends `text` with the declared references replaced; false past the limits.
    bool expand(const QByteArray& text, QByteArray* out, int depth, qsizetype limit) {
        if (depth > limits::kMaxEntityDepth)
            return false;
        qsizetype at = 0;
        while (at < text.size()) {
            const qsizetype amp = text.indexOf('&', at);
            if (amp < 0) {
                out->append(text.constData() + at, text.size() - at);
                break;
            }
            out->append(text.constData() + at, amp - at);
            qsizetype end = amp + 1;
            while (end < text.size() && isNameChar(text[end]))
                ++end;
            const QByteArray name = text.mid(amp + 1, end - amp - 1);
            if (end < text.size() && text[end] == ';' && !name.isEmpty() &&
                (m_declarations.values.contains(name) || m_declarations.external.contains(name))) {
                if (!m_declarations.external.contains(name) && !appendEntity(name, out, depth))
                    return false;
                at = end + 1;
            } else {
                out->append('&');
                at = amp + 1;
            }
            if (out->size() > limit)
                return false;
        }
        return out->size() <= limit;
    }

private:
    bool appendEntity(const QByteArray& name, QByteArray* out, int depth) {
        auto done = m_expanded.constFind(name);
        if (done == m_expanded.constEnd()) {
            QByteArray value;
            if (!expand(m_declarations.values.value(name), &value, depth + 1,
                        limits::kMaxEntityChars))
                return false;
            done = m_expanded.insert(name, value);
        }
        m_grown += done->size();
        if (m_grown > limits::kMaxEntityGrowth)
            return false;
        out->append(*done);
        return true;
    }

    const Declarations& m_declarations;
    QHash<QByteArray, QByteArray> m_expanded;
    qsizetype m_grown = 0;
};

} // namespace

EntityExpansion expandDeclaredEntities(const QByteArray& bytes, QByteArray* expanded) {
    const qsizetype doctype = bytes.indexOf("<!DOCTYPE");
    if (doctype < 0 || !bytes.contains("<!ENTITY"))
        return EntityExpansion::None;
    // The subset's '[' comes before the DOCTYPE's own '>', outside its quoted identifiers.
    qsizetype at = doctype + 9;
    QByteArray ignored;
    while (at < bytes.size() && bytes[at] != '[' && bytes[at] != '>') {
        const qsizetype next = quoted(bytes, at, &ignored);
        at = next >= 0 ? next : at + 1;
    }
    if (at >= bytes.size() || bytes[at] != '[')
        return EntityExpansion::None;
    const qsizetype open = at;
    Declarations declarations;
    const qsizetype close = readSubset(bytes, open + 1, &declarations);
    if (close < 0)
        return EntityExpansion::Refused; // not a subset we can read: not read at all
    const qsizetype end = bytes.indexOf('>', close);
    if (end < 0)
        return EntityExpansion::Refused;
    expanded->clear();
    expanded->append(bytes.constData(), open);
    expanded->append('>');
    Expander expander(declarations);
    const QByteArray body = bytes.mid(end + 1);
    if (!expander.expand(body, expanded, 0, bytes.size() + limits::kMaxEntityGrowth))
        return EntityExpansion::Refused;
    return EntityExpansion::Expanded;
}

} // namespace orasent
