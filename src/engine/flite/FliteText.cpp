#include "engine/flite/FliteText.h"

#include "engine/CmuPhones.h"

#include <QHash>
#include <algorithm>
#include <cctype>

namespace orasent {

namespace {

char asciiFor(QChar c) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7f)
        return char(u);
    switch (u) {
    case 0x2018:
    case 0x2019:
    case 0x201a:
    case 0x2032:
        return '\'';
    case 0x201c:
    case 0x201d:
    case 0x201e:
    case 0x00ab:
    case 0x00bb:
    case 0x2033:
        return '"';
    case 0x2010:
    case 0x2011:
    case 0x2012:
    case 0x2013:
    case 0x2014:
    case 0x2212:
        return '-';
    case 0x2026:
        return '.';
    case 0x00a0:
    case 0x2009:
    case 0x202f:
        return ' ';
    default:
        break;
    }
    if (c.isLetter() && c.script() == QChar::Script_Latin) {
        const QString plain = QString(c).normalized(QString::NormalizationForm_D);
        if (!plain.isEmpty() && plain.at(0).unicode() < 0x7f)
            return char(plain.at(0).unicode());
    }
    return ' ';
}

bool endsSentence(char c) {
    return c == '.' || c == '!' || c == '?';
}
bool endsClause(char c) {
    return c == ',' || c == ';' || c == ':' || c == '-' || c == ')';
}

// Four letters: "aaaa" for the first word.
QByteArray tokenFor(qsizetype index) {
    QByteArray letters(4, 'a');
    for (int i = 3; i >= 0 && index > 0; --i, index /= 26)
        letters[i] = char('a' + index % 26);
    return QByteArrayLiteral("orasentsounds") + letters;
}

} // namespace

FliteText::FliteText(const QString& text, bool xml) {
    m_bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (const qsizetype after = readSounds(text, i); after >= 0) {
            i = after - 1;
            continue;
        }
        if (xml) {
            const qsizetype after = readMarkup(text, i);
            if (after >= 0) {
                i = after - 1;
                continue;
            }
        }
        append(asciiFor(text.at(i)), int(i), int(i) + 1);
    }
}

void FliteText::append(char c, int begin, int end) {
    m_bytes.append(c);
    m_begin.append(begin);
    m_end.append(end);
}

bool FliteText::isReadable(QChar c) {
    return c.isLetterOrNumber() && asciiFor(c) != ' ';
}

qsizetype FliteText::readMarkup(const QString& text, qsizetype i) {
    if (text.at(i) == u'<') {
        const qsizetype close = text.indexOf(u'>', i);
        if (close < 0)
            return -1; // a '<' that opens no tag is read as it stands
        const QChar next = close + 1 < text.size() ? text.at(close + 1) : QChar(u' ');
        if (next.isLetterOrNumber() || next.isSpace() || next == u'<' || next == u'&')
            append(' ', int(i), int(close) + 1);
        return close + 1;
    }
    if (text.at(i) != u'&')
        return -1;
    const qsizetype semi = text.indexOf(u';', i);
    if (semi < 0 || semi - i > 10)
        return -1;
    const QString name = text.mid(i + 1, semi - i - 1);
    static const QHash<QString, QChar> named = {{QStringLiteral("amp"), u'&'},
                                                {QStringLiteral("lt"), u'<'},
                                                {QStringLiteral("gt"), u'>'},
                                                {QStringLiteral("quot"), u'"'},
                                                {QStringLiteral("apos"), u'\''}};
    QChar c = named.value(name);
    if (c.isNull() && name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        c = ok && code < 0x10000 ? QChar(char16_t(code)) : QChar(u' ');
    }
    if (c.isNull())
        return -1;
    append(asciiFor(c), int(i), int(semi) + 1);
    return semi + 1;
}

QVector<FlitePhrase> FliteText::phrases(int firstPhraseBytes) const {
    QVector<FlitePhrase> out;
    const int n = int(m_bytes.size());
    int begin = 0;
    while (begin < n) {
        const auto [cut, atPunctuation] = nextCut(begin, out.isEmpty() ? firstPhraseBytes : 0);
        // Punctuation alone (the full stop between two runs of another script) is not read.
        const QByteArray piece = m_bytes.mid(begin, cut - begin);
        if (std::any_of(piece.cbegin(), piece.cend(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            out.append(FlitePhrase{begin, cut, !atPunctuation && cut < n});
        begin = cut;
    }
    return out;
}

// Where the phrase from `begin` ends, and whether at punctuation: after a sentence's end, a
// clause's once the phrase is long, else at the last blank (or anywhere) within
// kMostPhraseBytes; with `early`, at the first blank after that many bytes.
std::pair<int, bool> FliteText::nextCut(int begin, int early) const {
    const int n = int(m_bytes.size());
    int lastBlank = -1;
    for (int i = begin; i < n && i - begin < kMostPhraseBytes; ++i) {
        const char c = m_bytes[i];
        const bool atBlank = i + 1 == n || m_bytes[i + 1] == ' ';
        if (c == ' ')
            lastBlank = i;
        if (atBlank && (endsSentence(c) || (endsClause(c) && i - begin >= kLongPhraseBytes)))
            return {i + 1, true};
        if (early > 0 && c == ' ' && i - begin >= early && i + 1 < n) {
            const char before = m_bytes[i - 1];
            return {i + 1, endsSentence(before) || endsClause(before)};
        }
    }
    if (n - begin <= kMostPhraseBytes)
        return {n, true};
    return {lastBlank > begin ? lastBlank + 1 : begin + kMostPhraseBytes, false};
}

int FliteText::find(const QByteArray& token, int from, int end) const {
    if (token.isEmpty())
        return -1;
    const qsizetype at = m_bytes.indexOf(token, from);
    return at >= 0 && at + token.size() <= end ? int(at) : -1;
}

std::pair<int, int> FliteText::sourceSpan(int at, int length) const {
    if (at < 0 || length <= 0 || at + length > m_bytes.size())
        return {0, 0};
    const int begin = m_begin.at(at);
    return {begin, m_end.at(at + length - 1) - begin};
}

// Flite's lexicon has no secondary stress: its words carry 1 where the CMU dictionary has 2.
qsizetype FliteText::readSounds(const QString& text, qsizetype i) {
    constexpr qsizetype kMostWords = 26 * 26 * 26 * 26;
    if (text.at(i) != kCmuInlineOpen || m_soundWords.size() >= kMostWords)
        return -1;
    qsizetype end = -1;
    const QStringList phones = readCmuInline(text, i, &end);
    if (phones.isEmpty())
        return -1;
    FliteSoundWord word{tokenFor(m_soundWords.size()), {}};
    for (const QString& phone : phones) {
        QByteArray name = phone.toLatin1();
        if (name.endsWith('2'))
            name.back() = '1';
        word.phones += (word.phones.isEmpty() ? "" : " ") + name;
    }
    append(' ', int(i), int(end));
    for (const char c : std::as_const(word.token))
        append(c, int(i), int(end));
    if (end < text.size() && text.at(end).isLetterOrNumber())
        append(' ', int(i), int(end)); // punctuation after it stays with it, as after a word
    m_soundWords.append(std::move(word));
    return end;
}

} // namespace orasent
