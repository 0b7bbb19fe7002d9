#include "documents/EpubContents.h"

#include "documents/XmlEntities.h"
#include "documents/ZipArchive.h"

#include <QXmlStreamReader>

namespace orasent {

namespace {

constexpr int kMaxEntries = 100000;

// "chapter.xhtml#id" against the part's folder: "OEBPS/chapter.xhtml#id"; empty outside.
QString resolveTarget(const QString& path, const QString& href) {
    const QString file = resolveArchivePath(path, href);
    if (file.isEmpty())
        return {};
    const qsizetype hash = href.indexOf(QLatin1Char('#'));
    return hash < 0 ? file : file + QLatin1Char('#') + href.mid(hash + 1);
}

QByteArray withEntities(const QByteArray& bytes) {
    QByteArray expanded;
    return expandDeclaredEntities(bytes, &expanded) == EntityExpansion::Expanded ? expanded : bytes;
}

bool isTocNav(const QXmlStreamReader& xml) {
    for (const QXmlStreamAttribute& a : xml.attributes())
        if (a.name() == u"type" && a.value().split(u' ').contains(u"toc"))
            return true;
    return false;
}

} // namespace

QVector<ContentsTarget> readNavContents(const QByteArray& bytes, const QString& path) {
    QVector<ContentsTarget> entries;
    QXmlStreamReader xml(withEntities(bytes));
    int navDepth = 0; // elements open inside the toc nav; 0 outside it
    int listDepth = 0;
    while (!xml.atEnd() && entries.size() < kMaxEntries) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (navDepth == 0 && xml.name() == u"nav" && isTocNav(xml)) {
                navDepth = 1;
                continue;
            }
            if (navDepth == 0)
                continue;
            if (xml.name() == u"ol")
                ++listDepth;
            if (xml.name() == u"a" || (xml.name() == u"span" && listDepth > 0)) {
                const QString href = xml.attributes().value(QLatin1String("href")).toString();
                const QString title =
                    xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
                const QString target = href.isEmpty() ? QString() : resolveTarget(path, href);
                if (!title.isEmpty() && !target.isEmpty())
                    entries.append({title, qMax(1, listDepth), target});
                continue; // readElementText consumed the end element
            }
            ++navDepth;
        } else if (token == QXmlStreamReader::EndElement && navDepth > 0) {
            if (xml.name() == u"ol")
                --listDepth;
            if (--navDepth == 0)
                break;
        }
    }
    return entries;
}

QVector<ContentsTarget> readNcxContents(const QByteArray& bytes, const QString& path) {
    QVector<ContentsTarget> entries;
    QXmlStreamReader xml(withEntities(bytes));
    int depth = 0;
    QString title;
    while (!xml.atEnd() && entries.size() < kMaxEntries) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"navPoint") {
                ++depth;
                title.clear();
            } else if (xml.name() == u"text" && depth > 0 && title.isEmpty()) {
                title = xml.readElementText(QXmlStreamReader::IncludeChildElements).simplified();
            } else if (xml.name() == u"content" && depth > 0) {
                const QString target =
                    resolveTarget(path, xml.attributes().value(QLatin1String("src")).toString());
                if (!title.isEmpty() && !target.isEmpty())
                    entries.append({title, depth, target});
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"navPoint") {
            --depth;
        }
    }
    return entries;
}

QVector<ContentsEntry> mapContents(const QVector<ContentsTarget>& targets,
                                   const QHash<QString, int>& anchors, int paragraphCount) {
    QVector<ContentsEntry> contents;
    for (const ContentsTarget& t : targets) {
        auto found = anchors.constFind(t.target);
        if (found == anchors.constEnd())
            found = anchors.constFind(t.target.section(QLatin1Char('#'), 0, 0));
        if (found == anchors.constEnd() || *found < 0 || *found >= paragraphCount)
            continue;
        contents.append({t.title, t.level, *found});
    }
    return contents;
}

} // namespace orasent
