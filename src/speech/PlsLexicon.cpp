#include "speech/PlsLexicon.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace orasent {

namespace {

const QString kPlsNamespace = QStringLiteral("http://www.w3.org/2005/01/pronunciation-lexicon");
const QString kOwnNamespace = QStringLiteral("urn:orasent:pronunciation");
const QString kXmlNamespace = QStringLiteral("http://www.w3.org/XML/1998/namespace");

struct Lexeme {
    QStringList graphemes;
    QString sounds;
    bool soundsUnknown = false; // a phoneme in an alphabet other than IPA
    QString alias;
    bool hasAlias = false;
    QXmlStreamAttributes attributes;
};

bool isIpa(const QString& alphabet) {
    return alphabet.compare(QLatin1String("ipa"), Qt::CaseInsensitive) == 0;
}

// Orasent's attributes of a lexeme in the rules file.
void applyOwnAttributes(PronunciationRule& rule, const QXmlStreamAttributes& attributes) {
    const QStringView match = attributes.value(kOwnNamespace, QLatin1String("match"));
    if (match == QLatin1String("anywhere"))
        rule.match = PronunciationRule::Match::Anywhere;
    else if (match == QLatin1String("pattern"))
        rule.match = PronunciationRule::Match::Pattern;
    rule.matchCase = attributes.value(kOwnNamespace, QLatin1String("case")) == QLatin1String("yes");
    const QStringView say = attributes.value(kOwnNamespace, QLatin1String("say"));
    if (say == QLatin1String("skip"))
        rule.say = PronunciationRule::Say::Skip;
    else if (say == QLatin1String("spell"))
        rule.say = PronunciationRule::Say::Spell;
    const QStringView applies = attributes.value(kOwnNamespace, QLatin1String("applies"));
    rule.scopeKey = attributes.value(kOwnNamespace, QLatin1String("key")).toString();
    if (applies == QLatin1String("document"))
        rule.scope = PronunciationRule::Scope::Document;
    else if (applies == QLatin1String("language"))
        rule.scope = PronunciationRule::Scope::Language;
    else
        rule.scopeKey.clear();
}

void addLexeme(LexiconRead& read, const Lexeme& lexeme, LexiconKind kind) {
    PronunciationRule rule;
    if (kind == LexiconKind::RulesFile)
        applyOwnAttributes(rule, lexeme.attributes);
    const bool ownSaying = rule.say != PronunciationRule::Say::Alias;
    if (!ownSaying) {
        if (!lexeme.sounds.isEmpty()) {
            rule.say = PronunciationRule::Say::Sounds;
            rule.sounds = lexeme.sounds;
            rule.alias = lexeme.alias;
        } else if (lexeme.hasAlias) {
            rule.say = lexeme.alias.trimmed().isEmpty() ? PronunciationRule::Say::Skip
                                                        : PronunciationRule::Say::Alias;
            rule.alias = lexeme.alias;
        } else {
            ++read.skipped; // nothing to say, or sounds in an alphabet not known here
            return;
        }
    }
    for (const QString& grapheme : lexeme.graphemes) {
        if (read.rules.size() >= kMostRules)
            return;
        rule.text = grapheme.trimmed();
        if (!rule.text.isEmpty() && rule.text.size() <= kMostRuleText)
            read.rules.append(rule);
        else
            ++read.skipped;
    }
}

Lexeme readLexeme(QXmlStreamReader& xml, const QString& alphabet) {
    Lexeme lexeme;
    lexeme.attributes = xml.attributes();
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == QLatin1String("grapheme")) {
            lexeme.graphemes.append(xml.readElementText(QXmlStreamReader::IncludeChildElements));
        } else if (name == QLatin1String("phoneme")) {
            const QStringView own = xml.attributes().value(QLatin1String("alphabet"));
            const bool ipa = isIpa(own.isEmpty() ? alphabet : own.toString());
            const QString sounds =
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
            if (ipa && lexeme.sounds.isEmpty())
                lexeme.sounds = sounds.left(kMostReplacement);
            lexeme.soundsUnknown = lexeme.soundsUnknown || !ipa;
        } else if (name == QLatin1String("alias")) {
            const QString alias = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            if (!lexeme.hasAlias)
                lexeme.alias = alias.left(kMostReplacement);
            lexeme.hasAlias = true;
        } else {
            xml.skipCurrentElement();
        }
    }
    return lexeme;
}

} // namespace

LexiconRead readPlsLexicon(const QByteArray& bytes, LexiconKind kind) {
    LexiconRead read;
    if (bytes.size() > kMostLexiconBytes) {
        read.error = QStringLiteral("The lexicon is larger than %1 MB.")
                         .arg(kMostLexiconBytes / (1024 * 1024));
        return read;
    }
    QXmlStreamReader xml(bytes);
    bool inLexicon = false;
    QString alphabet;
    while (!xml.atEnd() && !xml.hasError()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::DTD) {
            read.error = QStringLiteral("The lexicon declares a document type (DTD); lexicons "
                                        "with one are not read.");
            return LexiconRead{{}, {}, true, 0, read.error};
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        if (!inLexicon) {
            if (xml.name() != QLatin1String("lexicon")) {
                xml.raiseError(QStringLiteral("this is not a pronunciation lexicon"));
                break;
            }
            inLexicon = true;
            const QXmlStreamAttributes attributes = xml.attributes();
            alphabet = attributes.value(QLatin1String("alphabet")).toString();
            read.language = attributes.value(kXmlNamespace, QLatin1String("lang")).toString();
            read.bookLexicons = kind != LexiconKind::RulesFile ||
                                attributes.value(kOwnNamespace, QLatin1String("book-lexicons")) !=
                                    QLatin1String("no");
        } else if (xml.name() == QLatin1String("lexeme")) {
            addLexeme(read, readLexeme(xml, alphabet), kind);
        } else {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError() || !inLexicon) {
        const QString why = xml.hasError() ? xml.errorString() : QStringLiteral("it is empty");
        return LexiconRead{{},
                           {},
                           true,
                           0,
                           QStringLiteral("The lexicon could not be read (line %1): %2.")
                               .arg(xml.lineNumber())
                               .arg(why)};
    }
    return read;
}

namespace {

void writeOwnAttributes(QXmlStreamWriter& xml, const PronunciationRule& rule) {
    if (rule.match == PronunciationRule::Match::Anywhere)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("match"), QStringLiteral("anywhere"));
    else if (rule.match == PronunciationRule::Match::Pattern)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("match"), QStringLiteral("pattern"));
    if (rule.matchCase)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("case"), QStringLiteral("yes"));
    if (rule.say == PronunciationRule::Say::Skip)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("say"), QStringLiteral("skip"));
    else if (rule.say == PronunciationRule::Say::Spell)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("say"), QStringLiteral("spell"));
    if (rule.scope == PronunciationRule::Scope::Everywhere)
        return;
    xml.writeAttribute(kOwnNamespace, QStringLiteral("applies"),
                       rule.scope == PronunciationRule::Scope::Document
                           ? QStringLiteral("document")
                           : QStringLiteral("language"));
    xml.writeAttribute(kOwnNamespace, QStringLiteral("key"), rule.scopeKey);
}

// Characters XML 1.0 cannot hold become blanks, so what is written can be read back.
QString xmlSafe(QString text) {
    for (QChar& c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != 0x9 && u != 0xA && u != 0xD) || u == 0xFFFE || u == 0xFFFF)
            c = u' ';
    }
    return text;
}

void writeLexeme(QXmlStreamWriter& xml, const PronunciationRule& rule, LexiconKind kind) {
    xml.writeStartElement(QStringLiteral("lexeme"));
    if (kind == LexiconKind::RulesFile)
        writeOwnAttributes(xml, rule);
    xml.writeTextElement(QStringLiteral("grapheme"), xmlSafe(rule.text));
    switch (rule.say) {
    case PronunciationRule::Say::Sounds:
        xml.writeTextElement(QStringLiteral("phoneme"), xmlSafe(rule.sounds));
        if (!rule.alias.isEmpty())
            xml.writeTextElement(QStringLiteral("alias"), xmlSafe(rule.alias));
        break;
    case PronunciationRule::Say::Alias:
        xml.writeTextElement(QStringLiteral("alias"), xmlSafe(rule.alias));
        break;
    case PronunciationRule::Say::Skip:
        if (kind == LexiconKind::Shared)
            xml.writeTextElement(QStringLiteral("alias"), QString());
        break;
    case PronunciationRule::Say::Spell:
        if (kind == LexiconKind::Shared) {
            QString letters;
            for (const QChar c : rule.text)
                if (!c.isSpace())
                    letters += (letters.isEmpty() ? QString() : QStringLiteral(" ")) + c;
            xml.writeTextElement(QStringLiteral("alias"), xmlSafe(letters));
        }
        break;
    }
    xml.writeEndElement();
}

} // namespace

LexiconWrite writePlsLexicon(const QVector<PronunciationRule>& rules, const QString& language,
                             LexiconKind kind, bool bookLexicons) {
    LexiconWrite out;
    QXmlStreamWriter xml(&out.bytes);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeDefaultNamespace(kPlsNamespace);
    if (kind == LexiconKind::RulesFile)
        xml.writeNamespace(kOwnNamespace, QStringLiteral("orasent"));
    xml.writeStartElement(kPlsNamespace, QStringLiteral("lexicon"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1.0"));
    xml.writeAttribute(QStringLiteral("alphabet"), QStringLiteral("ipa"));
    xml.writeAttribute(kXmlNamespace, QStringLiteral("lang"),
                       language.isEmpty() ? QStringLiteral("und") : language);
    if (kind == LexiconKind::RulesFile && !bookLexicons)
        xml.writeAttribute(kOwnNamespace, QStringLiteral("book-lexicons"), QStringLiteral("no"));
    for (const PronunciationRule& rule : rules) {
        if (kind == LexiconKind::Shared && rule.match == PronunciationRule::Match::Pattern) {
            QString pattern = xmlSafe(rule.text);
            pattern.replace(QLatin1String("--"), QLatin1String("- -"));
            if (pattern.endsWith(u'-'))
                pattern.append(u' ');
            xml.writeComment(QStringLiteral(" A pattern rule has no PLS form: ") + pattern);
            ++out.leftOut;
            continue;
        }
        writeLexeme(xml, rule, kind);
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    return out;
}

} // namespace orasent
