// Word and OpenDocument texts built here become the document model: heading levels from styles
// and outline levels, list items, cells, languages of runs and styles, the document's
// properties, and notes at the end of their chapter. Password-protected files say so, and texts
// that declare no language get one when it is clear.
#include "FileBytes.h"
#include "ZipBuilder.h"
#include "documents/DocumentLoader.h"
#include "documents/LanguageIdentifier.h"
#include "documents/NotePlacement.h"
#include "documents/OfficeText.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orasent;
using orasent::test::buildZip;

namespace {

const QByteArray kWordNs =
    "xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\"";

QByteArray wordPart(const char* root, const QByteArray& inner) {
    return QByteArray("<w:") + root + " " + kWordNs + ">" + inner + "</w:" + root + ">";
}

QByteArray wordParagraph(const QByteArray& text, const QByteArray& properties = {},
                         const QByteArray& runProperties = {}) {
    return "<w:p><w:pPr>" + properties + "</w:pPr><w:r><w:rPr>" + runProperties + "</w:rPr><w:t>" +
           text + "</w:t></w:r></w:p>";
}

// Styles: "berschrift2" is a localised id of "heading 2"; "Quote" is French; the document's
// default language is English.
const QByteArray kWordStyles =
    wordPart("styles",
             "<w:docDefaults><w:rPrDefault><w:rPr><w:lang w:val=\"en-GB\"/></w:rPr>"
             "</w:rPrDefault></w:docDefaults>"
             "<w:style w:type=\"paragraph\" w:styleId=\"berschrift2\"><w:name w:val=\"heading 2\"/>"
             "</w:style><w:style w:type=\"paragraph\" w:styleId=\"Quote\"><w:basedOn "
             "w:val=\"Normal\"/><w:rPr><w:lang w:val=\"fr-FR\"/></w:rPr></w:style>");

const QByteArray kWordBody = wordPart(
    "document",
    "<w:body>" + wordParagraph("Tides", "<w:outlineLvl w:val=\"0\"/>") +
        wordParagraph("The sea rises.") +
        "<w:p><w:r><w:t>Twice a day</w:t></w:r><w:r><w:footnoteReference w:id=\"1\"/></w:r>"
        "<w:r><w:t>.</w:t></w:r></w:p>" +
        wordParagraph("Moon", "<w:pStyle w:val=\"berschrift2\"/>") +
        wordParagraph("First item",
                      "<w:numPr><w:ilvl w:val=\"0\"/><w:numId w:val=\"3\"/></w:numPr>") +
        wordParagraph("La lune tire la mer.", "<w:pStyle w:val=\"Quote\"/>") +
        wordParagraph("Ebbe und Flut.", {}, "<w:lang w:val=\"de-DE\"/>") +
        "<w:p><w:r><w:t>Pulled</w:t></w:r><w:r><w:endnoteReference w:id=\"2\"/></w:r></w:p>"
        "<w:tbl><w:tr><w:tc>" +
        wordParagraph("High") + "</w:tc></w:tr></w:tbl>" +
        wordParagraph("Storms", "<w:pStyle w:val=\"Heading1\"/>") + wordParagraph("Wind.") +
        "</w:body>");

const QByteArray kWordFootnotes = wordPart(
    "footnotes", "<w:footnote w:type=\"separator\" w:id=\"-1\"><w:p><w:r><w:separator/></w:r>"
                 "</w:p></w:footnote><w:footnote w:id=\"1\">" +
                     wordParagraph("Near the coast.") + "</w:footnote>");
const QByteArray kWordEndnotes =
    wordPart("endnotes", "<w:endnote w:id=\"2\">" + wordParagraph("By the moon.") + "</w:endnote>");

const QByteArray kCore =
    R"(<cp:coreProperties xmlns:cp="cp" xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:title>Sea Notes</dc:title><dc:creator>Ann Lee</dc:creator></cp:coreProperties>)";

QByteArray docx() {
    return buildZip({{"[Content_Types].xml", "<Types/>"},
                     {"word/document.xml", kWordBody},
                     {"word/styles.xml", kWordStyles},
                     {"word/footnotes.xml", kWordFootnotes},
                     {"word/endnotes.xml", kWordEndnotes},
                     {"docProps/core.xml", kCore}});
}

const QByteArray kOdfNs =
    R"(xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0")";

// "Spanish" is a paragraph style in styles.xml; "P1" an automatic style based on it; "T1" a
// Welsh span style.
const QByteArray kOdtStyles = "<office:document-styles " + kOdfNs + R"(><office:styles>
<style:default-style style:family="paragraph"><style:text-properties fo:language="en"
 fo:country="US"/></style:default-style>
<style:style style:name="Spanish" style:family="paragraph"><style:text-properties
 fo:language="es" fo:country="ES"/></style:style></office:styles></office:document-styles>)";

const QByteArray kOdtContent = "<office:document-content " + kOdfNs + R"(>
<office:automatic-styles><style:style style:name="P1" style:family="paragraph"
 style:parent-style-name="Spanish"/><style:style style:name="T1" style:family="text">
<style:text-properties fo:language="cy" fo:country="GB"/></style:style></office:automatic-styles>
<office:body><office:text><text:h text:outline-level="1">Tides</text:h>
<text:p>The sea rises<text:note text:note-class="footnote"><text:note-citation>1</text:note-citation>
<text:note-body><text:p>Near the coast.</text:p></text:note-body></text:note> twice.</text:p>
<text:h text:outline-level="2">Moon</text:h><text:p text:style-name="P1">La luna.</text:p>
<text:p><text:span text:style-name="T1">Y lleuad a'r llanw.</text:span></text:p>
<text:list><text:list-item><text:p>First item</text:p></text:list-item></text:list>
<table:table><table:table-row><table:table-cell><text:p>High</text:p></table:table-cell>
</table:table-row></table:table><text:h text:outline-level="1">Storms</text:h>
<text:p>Wind<text:note text:note-class="endnote"><text:note-citation>i</text:note-citation>
<text:note-body><text:p>From the west.</text:p></text:note-body></text:note>.</text:p>
</office:text></office:body></office:document-content>)";

const QByteArray kOdtMeta =
    R"(<office:document-meta xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:meta="urn:oasis:names:tc:opendocument:xmlns:meta:1.0"><office:meta>
<dc:title>Sea Notes</dc:title><meta:initial-creator>Ann Lee</meta:initial-creator>
</office:meta></office:document-meta>)";

QByteArray odt(const QByteArray& manifest = {}) {
    return buildZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                     {"META-INF/manifest.xml", manifest.isEmpty() ? "<manifest/>" : manifest},
                     {"content.xml", kOdtContent},
                     {"styles.xml", kOdtStyles},
                     {"meta.xml", kOdtMeta}});
}

// Each paragraph as "kind level language: text", kinds by their first letter.
QString modelText(const Document& document) {
    QStringList lines;
    for (const Paragraph& p : document.paragraphs) {
        const char kinds[] = "BHLCN";
        lines << QStringLiteral("%1%2 %3: %4")
                     .arg(QLatin1Char(kinds[int(p.kind)]))
                     .arg(p.level)
                     .arg(p.language.isEmpty() ? QStringLiteral("-") : p.language)
                     .arg(p.text);
    }
    return lines.join(QLatin1Char('\n'));
}

DocumentLoad loadBytes(const QString& name, const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    test::writeBytes(path, bytes);
    return loadDocument(path);
}

// What an OLE compound file holding Word's encrypted package looks like at its start.
QByteArray encryptedWordFile() {
    QByteArray ole("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    ole += QByteArray(504, '\0');
    for (const char c : QByteArrayView("EncryptedPackage"))
        ole.append(c).append('\0');
    return ole + QByteArray(4096, '\x5A');
}

const QByteArray kEncryptedManifest =
    R"(<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">
<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml">
<manifest:encryption-data manifest:checksum-type="SHA1/1K" manifest:checksum="x">
<manifest:algorithm manifest:algorithm-name="Blowfish CFB" manifest:initialisation-vector="y"/>
</manifest:encryption-data></manifest:file-entry></manifest:manifest>)";

} // namespace

class OfficeModelTest : public QObject {
    Q_OBJECT
private slots:
    void model_data();
    void model();
    void passwordProtected_data();
    void passwordProtected();
    void notesPlacement_data();
    void notesPlacement();
    void languageIdentification_data();
    void languageIdentification();
    void undeclaredLanguageIdentified();
    void notesWithinNotes();
};

void OfficeModelTest::model_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("contents");
    QTest::newRow("docx") << "sea.docx" << docx()
                          << "H1 -: Tides\nB0 -: The sea rises.\nB0 -: Twice a day.\n"
                             "H2 -: Moon\nL0 -: First item\nB0 fr-FR: La lune tire la mer.\n"
                             "B0 de-DE: Ebbe und Flut.\nB0 -: Pulled\nC0 -: High\n"
                             "N0 -: Notes\nN0 -: Near the coast.\nN0 -: By the moon.\n"
                             "H1 -: Storms\nB0 -: Wind."
                          << "en-GB"
                          << "Tides Moon Storms";
    QTest::newRow("odt") << "sea.odt" << odt()
                         << "H1 -: Tides\nB0 -: The sea rises twice.\nH2 -: Moon\n"
                            "B0 es-ES: La luna.\nB0 cy-GB: Y lleuad a'r llanw.\nL0 -: First item\n"
                            "C0 -: High\nN0 -: Notes\nN0 -: Near the coast.\nH1 -: Storms\n"
                            "B0 -: Wind.\nN0 -: Notes\nN0 -: From the west."
                         << "en-US"
                         << "Tides Moon Storms";
}

void OfficeModelTest::model() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, model);
    QFETCH(QString, language);
    QFETCH(QString, contents);
    const DocumentLoad load = loadBytes(name, bytes);
    QCOMPARE(load.status, DocumentLoad::Status::Loaded);
    QCOMPARE(modelText(load.document), model);
    QCOMPARE(load.document.metadata.title, QString("Sea Notes"));
    QCOMPARE(load.document.metadata.author, QString("Ann Lee"));
    QCOMPARE(load.document.metadata.language, language);
    QStringList titles;
    for (const ContentsEntry& entry : load.document.contents)
        titles << entry.title;
    QCOMPARE(titles.join(' '), contents);
    QCOMPARE(load.paragraphStarts.size(), load.document.paragraphs.size());
}

void OfficeModelTest::passwordProtected_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("docx") << "secret.docx" << encryptedWordFile();
    QTest::newRow("odt") << "secret.odt" << odt(kEncryptedManifest);
}

void OfficeModelTest::passwordProtected() {
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    const DocumentLoad load = loadBytes(name, bytes);
    QCOMPARE(load.status, DocumentLoad::Status::Failed);
    QCOMPARE(load.error,
             QString("This document is protected with a password and can not be read."));
}

void OfficeModelTest::notesPlacement_data() {
    QTest::addColumn<QString>("headings"); // one letter a paragraph: 1-6 a heading, b body
    QTest::addColumn<int>("reference");
    QTest::addColumn<QString>("placed"); // the same letters, n for each note paragraph
    QTest::newRow("before the next chapter") << "1b1b" << 1 << "1bnn1b";
    QTest::newRow("past its sections") << "1b2b1b" << 1 << "1b2bnn1b";
    QTest::newRow("in a section") << "1b2b2b" << 3 << "1b2bnn2b";
    QTest::newRow("no heading before it") << "b1b" << 0 << "b1bnn";
    QTest::newRow("in the last chapter") << "1b" << 1 << "1bnn";
}

void OfficeModelTest::notesPlacement() {
    QFETCH(QString, headings);
    QFETCH(int, reference);
    QFETCH(QString, placed);
    QVector<Paragraph> paragraphs;
    for (const QChar c : headings) {
        Paragraph p;
        p.text = c;
        if (c.isDigit()) {
            p.kind = Paragraph::Kind::Heading;
            p.level = c.digitValue();
        }
        paragraphs << p;
    }
    Paragraph body;
    body.text = QStringLiteral("note");
    QString out;
    for (const Paragraph& p : withNotesAtChapterEnds(paragraphs, {{reference, {body}}}))
        out += p.kind == Paragraph::Kind::Note ? QStringLiteral("n") : p.text;
    QCOMPARE(out, placed);
}

void OfficeModelTest::languageIdentification_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("language");
    QTest::newRow("French") << "Il était une fois une petite fille qui vivait avec sa mère "
                               "au bord de la forêt. Chaque matin, elle allait chercher de l'eau "
                               "à la fontaine et revenait en chantant."
                            << "fr";
    QTest::newRow("English") << "Once upon a time there was a little girl who lived with her "
                                "mother at the edge of the forest. Every morning she went to "
                                "fetch water from the well and came back singing."
                             << "en";
    QTest::newRow("English that fits Scots as well")
        << QString("The quick brown fox jumps over the lazy dog. ").repeated(3) << "en";
    QTest::newRow("too short to tell") << "Hello there."
                                       << "";
    QTest::newRow("numbers only") << QString("12 34 56 78 90 ").repeated(20) << "";
}

void OfficeModelTest::languageIdentification() {
    QFETCH(QString, text);
    QFETCH(QString, language);
    QCOMPARE(identifyLanguage(text), language);
}

// Markdown declares no language: the text tells it. A Word file that declares one keeps it.
void OfficeModelTest::undeclaredLanguageIdentified() {
    const QByteArray french = "# Conte\n\nIl était une fois une petite fille qui vivait avec sa "
                              "mère au bord de la forêt, dans une maison de bois.\n";
    QCOMPARE(loadBytes("conte.md", french).document.metadata.language, QString("fr"));
    QCOMPARE(loadBytes("sea.docx", docx()).document.metadata.language, QString("en-GB"));
}

// A note inside a note, 5,000 deep: the outer two are read, the rest left out, no overflow.
void OfficeModelTest::notesWithinNotes() {
    const QByteArray open = "<text:note><text:note-body><text:p>Deeper";
    const QByteArray close = "</text:p></text:note-body></text:note>";
    const QByteArray xml = "<office:document-content " + kOdfNs + "><office:body><office:text>" +
                           "<text:p>Top" + open.repeated(5000) + close.repeated(5000) +
                           "</text:p></office:text></office:body></office:document-content>";
    const Extraction read = odtXmlParagraphs(xml);
    QCOMPARE(read.status, Extraction::Status::Ok);
    QCOMPARE(read.paragraphs.size(), 4); // Top, Notes, a note and the note within it
}

QTEST_GUILESS_MAIN(OfficeModelTest)
#include "test_officemodel.moc"
