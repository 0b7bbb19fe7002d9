#include "engine/flite/FliteText.h"

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

} // namespace

FliteText::FliteText(const QString& text, bool xml) {
    m_bytes.resize(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        m_bytes[i] = asciiFor(text.at(i));
    if (xml)
        blankMarkup(text);
}

bool FliteText::isReadable(QChar c) {
    return c.isLetterOrNumber() && asciiFor(c) != ' ';
}

// Tags become blanks; "&amp;", "&#233;" ... become their character followed by blanks. A '<'
// that opens no tag is read as it stands.
void FliteText::blankMarkup(const QString& text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) == u'<') {
            const qsizetype close = text.indexOf(u'>', i);
            if (close < 0)
                break;
            for (qsizetype k = i; k <= close; ++k)
                m_bytes[k] = ' ';
            i = close;
        } else if (text.at(i) == u'&') {
            const qsizetype semi = text.indexOf(u';', i);
            if (semi < 0 || semi - i > 10)
                continue;
            const QString name = text.mid(i + 1, semi - i - 1);
            QChar c;
            if (name == QLatin1String("amp"))
                c = u'&';
            else if (name == QLatin1String("lt"))
                c = u'<';
            else if (name == QLatin1String("gt"))
                c = u'>';
            else if (name == QLatin1String("quot"))
                c = u'"';
            else if (name == QLatin1String("apos"))
                c = u'\'';
            else if (name.startsWith(u'#')) {
                bool ok = false;
                const uint code = name.startsWith(QLatin1String("#x"), Qt::CaseInsensitive)
                                      ? name.mid(2).toUInt(&ok, 16)
                                      : name.mid(1).toUInt(&ok, 10);
                c = ok && code < 0x10000 ? QChar(char16_t(code)) : QChar(u' ');
            } else {
                continue;
            }
            m_bytes[i] = asciiFor(c);
            for (qsizetype k = i + 1; k <= semi; ++k)
                m_bytes[k] = ' ';
            i = semi;
        }
    }
}

QVector<FlitePhrase> FliteText::phrases() const {
    QVector<FlitePhrase> out;
    const int n = int(m_bytes.size());
    int begin = 0;
    while (begin < n) {
        int cut = -1;
        int lastBlank = -1;
        for (int i = begin; i < n && i - begin < kMostPhraseBytes; ++i) {
            const char c = m_bytes[i];
            const bool atBlank = i + 1 == n || m_bytes[i + 1] == ' ';
            if (c == ' ')
                lastBlank = i;
            if (atBlank && (endsSentence(c) || (endsClause(c) && i - begin >= kLongPhraseBytes))) {
                cut = i + 1;
                break;
            }
        }
        if (cut < 0)
            cut = n - begin <= kMostPhraseBytes ? n
                  : lastBlank > begin           ? lastBlank + 1
                                                : begin + kMostPhraseBytes;
        if (!m_bytes.mid(begin, cut - begin).trimmed().isEmpty())
            out.append(FlitePhrase{begin, cut});
        begin = cut;
    }
    return out;
}

int FliteText::find(const QByteArray& token, int from, int end) const {
    if (token.isEmpty())
        return -1;
    const qsizetype at = m_bytes.indexOf(token, from);
    return at >= 0 && at + token.size() <= end ? int(at) : -1;
}

} // namespace orasent
