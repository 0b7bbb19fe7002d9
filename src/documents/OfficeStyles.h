#pragma once
// What the styles of a Word or OpenDocument text say about its paragraphs (heading level, list,
// language), and the document's properties (title, author, language, identifier).
#include "documents/Document.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace orasent {

struct OfficeStyle {
    int headingLevel = 0; // 1 to 6; 0 for other paragraphs
    bool list = false;
    QString language; // BCP 47; empty: not set
};

struct OfficeStyles {
    QHash<QString, OfficeStyle> byName; // inheritance resolved
    QString defaultLanguage;
};

// word/styles.xml. A style named "heading N" or with an outline level is a heading.
OfficeStyles readWordStyles(const QByteArray& xml);
// styles.xml and content.xml (its automatic styles), parents in any of them; ODF's language is
// fo:language with fo:country.
OfficeStyles readOdfStyles(const QList<QByteArray>& parts);

// A Word style id without a styles part: "Heading2" is a heading of level 2.
int headingLevelFromStyleName(const QString& name);

// docProps/core.xml or meta.xml: dc:title, dc:creator (or meta:initial-creator), dc:language,
// dc:identifier.
DocumentMetadata readDocumentProperties(const QByteArray& xml);

// w:lang's w:val, "fr-FR"; ODF's fo:language and fo:country. Empty for "none", "zxx" or a tag
// of another shape.
QString languageTag(QStringView language, QStringView country = {});

} // namespace orasent
