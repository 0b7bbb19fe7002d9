#include "engine/CmuPhones.h"

#include <utility>

namespace orasent {

namespace {

// The longest inline form written or read (a long phrase of sounds is read as its alias).
constexpr qsizetype kLongestInline = 2000;

struct Sound {
    const char16_t* ipa;
    const char* phones; // one or two phones; a vowel first
    bool vowel;
};

// Longer IPA sequences come first, so "tʃ" and "eɪ" win over "t" and "e". British vowels before
// an r that is not written ("eə", "ɪə", "ʊə") take the r of the American voices' words.
const Sound kSounds[] = {
    {u"t͡ʃ", "ch", false},  {u"d͡ʒ", "jh", false},  {u"tʃ", "ch", false},  {u"dʒ", "jh", false},
    {u"eɪ", "ey", true},   {u"aɪ", "ay", true},   {u"ɑɪ", "ay", true},   {u"ɔɪ", "oy", true},
    {u"aʊ", "aw", true},   {u"oʊ", "ow", true},   {u"əʊ", "ow", true},   {u"ɪə", "ih r", true},
    {u"eə", "eh r", true}, {u"ɛə", "eh r", true}, {u"ʊə", "uh r", true}, {u"ɝ", "er", true},
    {u"ɚ", "er", true},    {u"ɜ", "er", true},    {u"i", "iy", true},    {u"ɪ", "ih", true},
    {u"ɨ", "ih", true},    {u"e", "eh", true},    {u"ɛ", "eh", true},    {u"æ", "ae", true},
    {u"a", "aa", true},    {u"ɑ", "aa", true},    {u"ɒ", "aa", true},    {u"ɔ", "ao", true},
    {u"o", "ow", true},    {u"ʊ", "uh", true},    {u"u", "uw", true},    {u"ʉ", "uw", true},
    {u"ʌ", "ah", true},    {u"ɐ", "ah", true},    {u"ə", "ax", true},    {u"p", "p", false},
    {u"b", "b", false},    {u"t", "t", false},    {u"d", "d", false},    {u"ɾ", "t", false},
    {u"k", "k", false},    {u"g", "g", false},    {u"ɡ", "g", false},    {u"x", "k", false},
    {u"f", "f", false},    {u"v", "v", false},    {u"θ", "th", false},   {u"ð", "dh", false},
    {u"s", "s", false},    {u"z", "z", false},    {u"ʃ", "sh", false},   {u"ʒ", "zh", false},
    {u"h", "hh", false},   {u"m", "m", false},    {u"n", "n", false},    {u"ŋ", "ng", false},
    {u"l", "l", false},    {u"ɫ", "l", false},    {u"r", "r", false},    {u"ɹ", "r", false},
    {u"j", "y", false},    {u"w", "w", false},    {u"ʍ", "w", false},
};

// Marks that change nothing the CMU phones can tell: length, syllables, slashes, aspiration,
// the glottal stop, tie bars, nasal and other diacritics, blanks between words.
bool dropped(QChar c) {
    switch (c.unicode()) {
    case u'ː':
    case u'ˑ':
    case u'.':
    case u'‿':
    case u'/':
    case u'[':
    case u']':
    case u'ʰ':
    case u'ʲ':
    case u'ʷ':
    case u'ʔ':
    case u'\u0361': // tie bar above
    case u'\u035c': // tie bar below
    case u'\u0303': // nasal
    case u'\u032f': // non-syllabic
    case u'\u0325': // voiceless
    case u'\u032a': // dental
    case u' ':
    case u'\t':
        return true;
    default:
        return false;
    }
}

const Sound* soundAt(QStringView ipa, qsizetype i) {
    for (const Sound& sound : kSounds)
        if (ipa.mid(i).startsWith(QStringView(sound.ipa)))
            return &sound;
    return nullptr;
}

struct Phone {
    QString name;
    bool vowel = false;
    int stress = 0;
};

// An r after a schwa or "er" that no vowel follows colours it ("ər", "ɜːr" are "er"); returns
// where the sounds go on.
qsizetype afterRColour(QStringView ipa, qsizetype i, Phone* vowel) {
    if (vowel->name != QLatin1String("ax") && vowel->name != QLatin1String("er"))
        return i;
    qsizetype r = i;
    while (r < ipa.size() && (ipa[r] == u'ː' || ipa[r] == u'ˑ'))
        ++r;
    if (r >= ipa.size() || (ipa[r] != u'r' && ipa[r] != u'ɹ'))
        return i;
    const Sound* next = soundAt(ipa, r + 1);
    if (next && next->vowel)
        return i;
    vowel->name = QStringLiteral("er");
    return r + 1;
}

// A syllabic consonant, "n̩", is said "ax n"; false when no consonant comes before the mark.
bool addSyllabic(QVector<Phone>* out) {
    if (out->isEmpty() || out->last().vowel)
        return false;
    out->insert(out->size() - 1, Phone{QStringLiteral("ax"), true, 0});
    return true;
}

// The phones with the stress marks applied to the vowel after them; false on an unknown symbol.
bool convert(QStringView ipa, QVector<Phone>* out, bool* marked) {
    int pending = 0;
    for (qsizetype i = 0; i < ipa.size();) {
        const QChar c = ipa[i];
        if (c == u'ˈ' || c == u'\'' || c == u'ˌ') {
            pending = c == u'ˌ' ? 2 : 1;
            *marked = true;
            ++i;
            continue;
        }
        if (c == u'\u0329' || c == u'\u030d') {
            if (!addSyllabic(out))
                return false;
            ++i;
            continue;
        }
        if (dropped(c)) {
            ++i;
            continue;
        }
        const Sound* sound = soundAt(ipa, i);
        if (!sound)
            return false;
        const QStringList names = QString::fromLatin1(sound->phones).split(u' ');
        for (qsizetype n = 0; n < names.size(); ++n) {
            const bool vowel = sound->vowel && n == 0;
            out->append(Phone{names[n], vowel, vowel ? std::exchange(pending, 0) : 0});
        }
        i += QStringView(sound->ipa).size();
        if (sound->vowel)
            i = afterRColour(ipa, i, &out->last());
    }
    return true;
}

void stressFirstFullVowel(QVector<Phone>* phones) {
    Phone* first = nullptr;
    for (Phone& p : *phones) {
        if (p.vowel && p.name != QLatin1String("ax")) {
            p.stress = 1;
            return;
        }
        if (p.vowel && !first)
            first = &p;
    }
    if (first)
        first->stress = 1;
}

// Where the inline form opened at `at` closes, relative to `at`, or -1. Stops at the first
// character no form holds, so a text of many openings is read in one pass.
qsizetype closeOfInline(QStringView text, qsizetype at) {
    const qsizetype last = qMin(text.size(), at + kLongestInline);
    for (qsizetype i = at + 1; i < last; ++i) {
        const char16_t c = text[i].unicode();
        if (c == kCmuInlineClose)
            return i - at;
        if (c != u' ' && !(c >= u'a' && c <= u'z') && !(c >= u'0' && c <= u'2'))
            return -1;
    }
    return -1;
}

} // namespace

QStringList cmuPhonesFromIpa(const QString& ipa) {
    QVector<Phone> phones;
    bool marked = false;
    if (!convert(ipa, &phones, &marked) || phones.isEmpty())
        return {};
    if (!marked)
        stressFirstFullVowel(&phones);
    QStringList out;
    for (const Phone& p : std::as_const(phones)) {
        // A stressed schwa is the vowel of "but".
        const QString name = p.vowel && p.stress > 0 && p.name == QLatin1String("ax")
                                 ? QStringLiteral("ah")
                                 : p.name;
        out << (p.vowel ? name + QString::number(p.stress) : name);
    }
    return out;
}

QString cmuInlineSounds(const QString& ipa) {
    const QStringList phones = cmuPhonesFromIpa(ipa);
    const QString form = QChar(kCmuInlineOpen) + phones.join(u' ') + QChar(kCmuInlineClose);
    return phones.isEmpty() || form.size() > kLongestInline ? QString() : form;
}

QStringList readCmuInline(QStringView text, qsizetype at, qsizetype* end) {
    static const QStringList known =
        QStringLiteral("aa ae ah ao aw ax axr ay b ch d dh dx eh el em en er ey "
                       "f g hh hv ih iy jh k l m n nx ng ow oy p r s sh t th uh "
                       "uw v w y z zh")
            .split(u' ');
    if (at < 0 || at >= text.size() || text[at] != kCmuInlineOpen)
        return {};
    const qsizetype close = closeOfInline(text, at);
    if (close < 0)
        return {};
    QStringList phones;
    for (QStringView phone : text.mid(at + 1, close - 1).split(u' ', Qt::SkipEmptyParts)) {
        QStringView name = phone;
        if (!name.isEmpty() && (name.back() == u'0' || name.back() == u'1' || name.back() == u'2'))
            name.chop(1);
        if (!known.contains(name))
            return {};
        phones << phone.toString();
    }
    if (!phones.isEmpty())
        *end = at + close + 1;
    return phones;
}

} // namespace orasent
