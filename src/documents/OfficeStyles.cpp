#include "documents/OfficeStyles.h"

#include <QRegularExpression>
#include <QXmlStreamReader>

#include <algorithm>

namespace orasent {

namespace {

constexpr int kMaxHeadingLevel = 6;
constexpr int kMaxInheritance = 32; // a style chain longer than this is a loop

// A style as written, before its parents are applied.
struct RawStyle {
    QString parent;
    int headingLevel = -1; // -1: not set; 0: set to body text
    int list = -1;         // -1: not set
    QString language;
};

// Parents first, each setting only what it sets.
OfficeStyle resolved(const QHash<QString, RawStyle>& raw, const QString& name) {
    QVector<const RawStyle*> chain;
    for (auto it = raw.constFind(name); chain.size() < kMaxInheritance && it != raw.constEnd();
         it = raw.constFind(it->parent))
        chain.prepend(&*it);
    OfficeStyle style;
    for (const RawStyle* s : chain) {
        if (s->headingLevel >= 0)
            style.headingLevel = s->headingLevel;
        if (s->list >= 0)
            style.list = s->list > 0;
        if (!s->language.isEmpty())
            style.language = s->language;
    }
    return style;
}

void resolveAll(const QHash<QString, RawStyle>& raw, OfficeStyles& styles) {
    for (auto it = raw.begin(); it != raw.end(); ++it)
        styles.byName.insert(it.key(), resolved(raw, it.key()));
}

QString wordVal(const QXmlStreamReader& xml) {
    return xml.attributes().value(QLatin1String("w:val")).toString();
}

// One w:style (or w:rPrDefault) element, to its end.
void readWordStyle(QXmlStreamReader& xml, RawStyle& style) {
    for (int depth = 1; depth > 0 && !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const QStringView name = xml.name();
        if (name == u"basedOn") {
            style.parent = wordVal(xml);
        } else if (name == u"name" && headingLevelFromStyleName(wordVal(xml)) > 0) {
            style.headingLevel = headingLevelFromStyleName(wordVal(xml));
        } else if (name == u"outlineLvl") {
            const int level = wordVal(xml).toInt() + 1; // 0-based; 9 is body text
            style.headingLevel = level >= 1 && level <= 9 ? std::min(level, kMaxHeadingLevel) : 0;
        } else if (name == u"numPr") {
            style.list = 1;
        } else if (name == u"lang") {
            style.language = languageTag(wordVal(xml));
        }
    }
}

QString odfLanguage(const QXmlStreamAttributes& a) {
    return languageTag(a.value(QLatin1String("fo:language")), a.value(QLatin1String("fo:country")));
}

} // namespace

int headingLevelFromStyleName(const QString& name) {
    static const QRegularExpression heading(QStringLiteral("^heading\\s*([1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = heading.match(name.trimmed());
    return match.hasMatch() ? std::min(match.captured(1).toInt(), kMaxHeadingLevel) : 0;
}

QString languageTag(QStringView language, QStringView country) {
    static const QRegularExpression shape(QStringLiteral("^[A-Za-z]{2,8}(-[A-Za-z0-9]{1,8})*$"));
    const QString lang = language.trimmed().toString();
    if (lang.isEmpty() || lang == u"none" || lang == u"zxx" || !shape.match(lang).hasMatch())
        return {};
    const QString land = country.trimmed().toString();
    if (land.isEmpty() || land == u"none" || !shape.match(land).hasMatch())
        return lang;
    return lang + QLatin1Char('-') + land;
}

OfficeStyles readWordStyles(const QByteArray& bytes) {
    QHash<QString, RawStyle> raw;
    OfficeStyles styles;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"style") {
            RawStyle& style = raw[xml.attributes().value(QLatin1String("w:styleId")).toString()];
            readWordStyle(xml, style);
        } else if (xml.name() == u"rPrDefault") {
            RawStyle defaults;
            readWordStyle(xml, defaults);
            styles.defaultLanguage = defaults.language;
        }
    }
    resolveAll(raw, styles);
    return styles;
}

namespace {

// One part's styles, added to `raw`.
void readOdfPart(const QByteArray& bytes, QHash<QString, RawStyle>& raw, OfficeStyles& styles) {
    QXmlStreamReader xml(bytes);
    RawStyle* current = nullptr;
    bool inDefault = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement &&
            (xml.name() == u"style" || xml.name() == u"default-style")) {
            current = nullptr;
            inDefault = false;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes a = xml.attributes();
        if (xml.name() == u"style") {
            current = &raw[a.value(QLatin1String("style:name")).toString()];
            current->parent = a.value(QLatin1String("style:parent-style-name")).toString();
            if (a.hasAttribute(QLatin1String("style:default-outline-level")))
                current->headingLevel =
                    std::clamp(a.value(QLatin1String("style:default-outline-level")).toInt(), 0,
                               kMaxHeadingLevel);
        } else if (xml.name() == u"default-style") {
            inDefault = a.value(QLatin1String("style:family")) == u"paragraph";
        } else if (xml.name() == u"text-properties") {
            if (current && !odfLanguage(a).isEmpty())
                current->language = odfLanguage(a);
            else if (inDefault && !odfLanguage(a).isEmpty())
                styles.defaultLanguage = odfLanguage(a);
        }
    }
}

} // namespace

OfficeStyles readOdfStyles(const QList<QByteArray>& parts) {
    QHash<QString, RawStyle> raw;
    OfficeStyles styles;
    for (const QByteArray& part : parts)
        readOdfPart(part, raw, styles);
    resolveAll(raw, styles);
    return styles;
}

DocumentMetadata readDocumentProperties(const QByteArray& bytes) {
    DocumentMetadata meta;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView name = xml.name();
        QString* field = name == u"title"        ? &meta.title
                         : name == u"creator"    ? &meta.author
                         : name == u"language"   ? &meta.language
                         : name == u"identifier" ? &meta.identifier
                                                 : nullptr;
        if (name == u"initial-creator" && meta.author.isEmpty())
            field = &meta.author;
        if (field && field->isEmpty())
            *field = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified();
    }
    meta.language = languageTag(meta.language);
    return meta;
}

} // namespace orasent
