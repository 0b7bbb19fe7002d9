#include "engine/EspeakSounds.h"

#include <QStringView>
#include <utility>

namespace orasent {

namespace {

// Longer IPA sequences come first, so "tʃ" and "eɪ" win over "t" and "e". The names are those
// espeak-ng's English voices use; most other voices share them.
const std::pair<const char16_t*, const char*> kSounds[] = {
    {u"tʃ", "tS"}, {u"t͡ʃ", "tS"}, {u"dʒ", "dZ"}, {u"d͡ʒ", "dZ"}, {u"eɪ", "eI"}, {u"aɪ", "aI"},
    {u"ɔɪ", "OI"}, {u"aʊ", "aU"}, {u"əʊ", "oU"}, {u"oʊ", "oU"}, {u"ɪə", "i@"}, {u"eə", "e@"},
    {u"ɛə", "e@"}, {u"ʊə", "U@"}, {u"iː", "i:"}, {u"uː", "u:"}, {u"ɑː", "A:"}, {u"ɔː", "O:"},
    {u"ɜː", "3:"}, {u"ɝ", "3:"},  {u"ɚ", "3"},   {u"ɑ", "A:"},  {u"ə", "@"},   {u"ɪ", "I"},
    {u"i", "i"},   {u"ɛ", "E"},   {u"e", "e"},   {u"æ", "a"},   {u"ʌ", "V"},   {u"ɒ", "0"},
    {u"ɔ", "O"},   {u"ʊ", "U"},   {u"u", "u"},   {u"a", "a"},   {u"o", "o"},   {u"ɐ", "a#"},
    {u"p", "p"},   {u"b", "b"},   {u"t", "t"},   {u"d", "d"},   {u"k", "k"},   {u"g", "g"},
    {u"ɡ", "g"},   {u"f", "f"},   {u"v", "v"},   {u"θ", "T"},   {u"ð", "D"},   {u"s", "s"},
    {u"z", "z"},   {u"ʃ", "S"},   {u"ʒ", "Z"},   {u"h", "h"},   {u"m", "m"},   {u"n", "n"},
    {u"ŋ", "N"},   {u"l", "l"},   {u"r", "r"},   {u"ɹ", "r"},   {u"j", "j"},   {u"w", "w"},
    {u"x", "x"},   {u"ʔ", "?"},   {u"ɜ", "3:"},
};

// Marks with a name of their own, or none.
const char* markName(QChar c) {
    switch (c.unicode()) {
    case u'ˈ':
        return "'";
    case u'ˌ':
        return ",";
    case u'ː':
        return ":";
    case u'.':
    case u'ʰ':
    case u'\u0361': // tie bar
    case u'/':
    case u'[':
    case u']':
        return "";
    case u' ':
        return " ";
    default:
        return nullptr;
    }
}

} // namespace

QString espeakPhonemeInput(const QString& ipa) {
    const QString sounds = ipa.trimmed();
    if (sounds.isEmpty())
        return {};
    QString out = QStringLiteral("[[");
    for (qsizetype i = 0; i < sounds.size();) {
        if (const char* mark = markName(sounds[i])) {
            out += QLatin1String(mark);
            ++i;
            continue;
        }
        bool named = false;
        for (const auto& [symbol, name] : kSounds) {
            const QStringView s(symbol);
            if (QStringView(sounds).mid(i).startsWith(s)) {
                out += QLatin1String(name);
                i += s.size();
                named = true;
                break;
            }
        }
        if (!named)
            return {}; // a sound without a name here: the alias or the word is read
    }
    return out + QStringLiteral("]]");
}

} // namespace orasent
