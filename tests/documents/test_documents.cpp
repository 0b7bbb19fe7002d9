// Documents of every kind, built here, load to the exact reading text; hostile or damaged ones
// give a clear message.
#include "FileBytes.h"
#include "ZipBuilder.h"
#include "documents/DocumentLoader.h"
#include "documents/Extraction.h"

#include <QTemporaryDir>
#include <QTest>

using namespace orasent;
using orasent::test::buildZip;
using orasent::test::ZipEntries;

namespace {

const QByteArray kContainer =
    R"(<?xml version="1.0"?><container xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
<rootfiles><rootfile full-path="OEBPS/book.opf" media-type="application/oebps-package+xml"/>
</rootfiles></container>)";

// A book whose spine lists `hrefs` in order; `chapters` are the entries under OEBPS/.
QByteArray epub(const QList<QByteArray>& hrefs, const ZipEntries& chapters,
                const QByteArray& opfPrologue = {}) {
    QByteArray manifest, spine;
    for (int i = 0; i < hrefs.size(); ++i) {
        const QByteArray id = "c" + QByteArray::number(i);
        manifest += "<item id=\"" + id + "\" href=\"" + hrefs[i] +
                    "\" media-type=\"application/xhtml+xml\"/>";
        spine += "<itemref idref=\"" + id + "\"/>";
    }
    ZipEntries entries{{"mimetype", "application/epub+zip"},
                       {"META-INF/container.xml", kContainer},
                       {"OEBPS/book.opf", opfPrologue +
                                              "<package xmlns=\"http://www.idpf.org/2007/opf\">"
                                              "<manifest>" +
                                              manifest + "</manifest><spine>" + spine +
                                              "</spine></package>"}};
    for (const auto& [name, content] : chapters)
        entries.append({"OEBPS/" + name, content});
    return buildZip(entries);
}

const QByteArray kChapterOne =
    R"(<?xml version="1.0" encoding="utf-8"?><html xmlns="http://www.w3.org/1999/xhtml">
<head><title>Book</title><style>p { color: red }</style></head><body>
<nav><ol><li>Contents</li></ol></nav><script>alert("no")</script>
<h1>Chapter One</h1><p>It was a <em>dark</em>
night.</p><ul><li>First</li><li>Second item</li></ul>
<table><tr><td>Cell A</td><td>Cell B</td></tr></table>
<p>See <img src="door.png" alt="a red door"/>here.<br/>Next line</p></body></html>)";
// HTML entities without a DTD are not XML: read through the HTML5 parser.
const QByteArray kChapterTwo = "<html><body><p>Two&nbsp;words&mdash;here.</p></body></html>";
const QString kChapterOneText =
    "Chapter One. \r\nIt was a dark night. \r\nFirst. \r\nSecond item. \r\nCell A. \r\n"
    "Cell B. \r\nSee a red door here. Next line. ";

QByteArray docx(const QByteArray& body, const QByteArray& prologue = {}) {
    return buildZip({{"[Content_Types].xml", "<Types/>"},
                     {"word/document.xml",
                      prologue +
                          "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                          "wordprocessingml/2006/main\" xmlns:wp=\"wp\" xmlns:mc=\"mc\"><w:body>" +
                          body + "</w:body></w:document>"}});
}

const QByteArray kDocxBody =
    R"(<w:p><w:pPr><w:pStyle w:val="Heading1"/></w:pPr><w:r><w:t>Report</w:t></w:r></w:p>
<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo</w:t><w:tab/><w:t>world</w:t><w:br/><w:t>again.</w:t>
</w:r><w:del><w:r><w:delText>gone</w:delText></w:r></w:del></w:p>
<w:p><w:r><w:drawing><wp:docPr id="1" descr="A chart"/></w:drawing><w:t>Sales</w:t></w:r></w:p>
<w:p><mc:AlternateContent><mc:Choice><w:r><w:t>Box</w:t></w:r></mc:Choice>
<mc:Fallback><w:r><w:t>Box</w:t></w:r></mc:Fallback></mc:AlternateContent></w:p>
<w:tbl><w:tr><w:tc><w:p><w:r><w:t>North</w:t></w:r></w:p></w:tc>
<w:tc><w:p><w:r><w:t>12</w:t></w:r></w:p></w:tc></w:tr></w:tbl><w:sectPr/>)";

const QByteArray kOdtContent =
    R"(<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
 xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0">
<office:automatic-styles><style>x</style></office:automatic-styles><office:body><office:text>
<text:h text:outline-level="1">Notes</text:h><text:p>Dear<text:s/>class,<text:note>
<text:note-body><text:p>A footnote</text:p></text:note-body></text:note></text:p>
<text:list><text:list-item><text:p>Bring <text:span>pens</text:span></text:p></text:list-item>
</text:list><table:table><table:table-row><table:table-cell><text:p>Mon</text:p>
</table:table-cell><table:table-cell><text:p>Tue</text:p></table:table-cell></table:table-row>
</table:table><text:p>Map<draw:frame><svg:title>A map</svg:title><svg:desc>long</svg:desc>
</draw:frame>here.</text:p></office:text></office:body></office:document-content>)";

const QByteArray kHtml =
    "<!DOCTYPE html><html><head><meta charset=\"windows-1252\"><title>Page</title>"
    "<script>var a = 1;</script><style>body{}</style></head><body><nav><a href=\"/\">Home</a>"
    "</nav><h2>Caf\xE9 menu</h2><p>Open<span>ing</span> hours<br>daily.</p><table><tr><th>Day"
    "</th><td>9 to 5</td></tr></table><p hidden>Secret</p><img alt=\"Logo\"></body></html>";

const QByteArray kMarkdown = "# Title\n\nFirst line\nsecond line.\n\n- one\n- two\n\n"
                             "```\ncode here\n```\n\n![A cat](cat.png) and <b>bold</b> text\n\n"
                             "<div>\nBlock <script>x()</script>text\n</div>\n";

// The 100,000 empty paragraphs that generated documents contain.
QByteArray manyEmptyParagraphs() {
    QByteArray body;
    for (int i = 0; i < 100000; ++i)
        body += "<w:p/>";
    return docx(body + "<w:p><w:r><w:t>End.</w:t></w:r></w:p>");
}

// A billion laughs: ten levels of ten references, lol9 the top.
QByteArray laughs() {
    QByteArray dtd = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i) {
        const QByteArray below = i == 1 ? "&lol;" : "&lol" + QByteArray::number(i - 1) + ";";
        dtd += "<!ENTITY lol" + QByteArray::number(i) + " \"" + below.repeated(10) + "\">";
    }
    return dtd + "]>";
}
const QByteArray kLaughs = laughs();

} // namespace

class TestDocuments : public QObject {
    Q_OBJECT
private slots:
    void load_data();
    void load();
    void readablePaths_data();
    void readablePaths();
    void textLimitAndCancel();
    void missingChapterNotice();
};

void TestDocuments::load_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error"); // a part of the message; empty when it loads

    const ZipEntries chapters{{"one.xhtml", kChapterOne}, {"two.xhtml", kChapterTwo}};
    QTest::newRow("epub") << "book.epub" << epub({"one.xhtml", "two.xhtml"}, chapters)
                          << kChapterOneText + "\r\nTwo words\u2014here. "
                          << "";
    QTest::newRow("docx") << "report.docx" << docx(kDocxBody)
                          << "Report. \r\nHello world again. \r\nA chart Sales. \r\nBox. \r\n"
                             "North. \r\n12. "
                          << "";
    QTest::newRow("odt") << "notes.odt"
                         << buildZip({{"mimetype", "application/vnd.oasis.opendocument.text"},
                                      {"content.xml", kOdtContent}})
                         << "Notes. \r\nDear class,. \r\nBring pens. \r\nMon. \r\nTue. \r\n"
                            "Map A map here. \r\nNotes. \r\nA footnote. "
                         << "";
    QTest::newRow("html, Windows-1252") << "page.HTM" << kHtml
                                        << QString::fromUtf8("Café menu. \r\nOpening hours daily. "
                                                             "\r\nDay. \r\n9 to 5. \r\nLogo. ")
                                        << "";
    QTest::newRow("markdown") << "notes.md" << kMarkdown
                              << "Title. \r\nFirst line second line. \r\none. \r\ntwo. \r\n"
                                 "code here. \r\nA cat and bold text. \r\nBlock text. "
                              << "";
    QTest::newRow("renamed docx read by content")
        << "report.txt" << docx("<w:p><w:r><w:t>Report</w:t></w:r></w:p>") << "Report. "
        << "";
    QTest::newRow("plain text, lines joined with a blank")
        << "a.txt" << QByteArray("The cat sat.\r\nThe dog ran. ") << "The cat sat. The dog ran. "
        << "";
    QTest::newRow("spine escaping the archive is not followed")
        << "b.epub"
        << epub({"../../evil.xhtml", "one.xhtml"},
                {{"one.xhtml", kChapterOne}, {"../../evil.xhtml", "<p>Evil.</p>"}})
        << kChapterOneText << "";
    QTest::newRow("one missing chapter left out")
        << "b.epub" << epub({"one.xhtml", "gone.xhtml"}, {{"one.xhtml", kChapterOne}})
        << kChapterOneText << "";
    QTest::newRow("100,000 empty paragraphs") << "e.docx" << manyEmptyParagraphs() << "End. "
                                              << "";

    const QByteArray book = epub({"one.xhtml"}, {{"one.xhtml", kChapterOne}});
    QTest::newRow("truncated epub") << "b.epub" << book.left(book.size() / 2) << ""
                                    << "damaged or incomplete";
    QTest::newRow("not a zip") << "r.docx" << QByteArray("PK\x03\x04garbage") << ""
                               << "damaged or incomplete";
    QTest::newRow("broken document xml") << "r.docx" << docx("<w:p><w:r><w:t>cut") << ""
                                         << "damaged or incomplete";
    QTest::newRow("all chapters missing") << "b.epub" << epub({"gone.xhtml"}, {}) << ""
                                          << "names chapters that are not in the file";
    QTest::newRow("unused entities in the package are never expanded")
        << "b.epub" << epub({"one.xhtml"}, {{"one.xhtml", kChapterOne}}, kLaughs) << kChapterOneText
        << "";
    QTest::newRow("billion laughs in a chapter")
        << "b.epub" << epub({"one.xhtml"}, {{"one.xhtml", kLaughs + "<p>&lol9;</p>"}}) << ""
        << "declares its own XML entities";
    QTest::newRow("billion laughs in a Word body")
        << "r.docx" << docx("<w:p><w:r><w:t>&lol9;</w:t></w:r></w:p>", kLaughs) << ""
        << "declares its own XML entities";
    QTest::newRow("copy-protected e-book")
        << "b.epub"
        << buildZip(
               {{"mimetype", "application/epub+zip"},
                {"META-INF/container.xml", kContainer},
                {"META-INF/encryption.xml",
                 "<encryption><EncryptedData><EncryptionMethod Algorithm=\"aes\"/>"
                 "<CipherData><CipherReference URI=\"OEBPS/one.xhtml\"/></CipherData>"
                 "</EncryptedData></encryption>"},
                {"OEBPS/book.opf", "<package><manifest><item id=\"a\" href=\"one.xhtml\"/>"
                                   "</manifest><spine><itemref idref=\"a\"/></spine></package>"},
                {"OEBPS/one.xhtml", "\x93\x11 binary"}})
        << ""
        << "locked with a password or copy protection";
    QByteArray huge = docx(kDocxBody);
    test::declareUnpackedSize(&huge, "word/document.xml", 300u << 20);
    QTest::newRow("entry over 256 MB") << "r.docx" << huge << ""
                                       << "unpacks to more than";
    QByteArray bomb = docx(kDocxBody);
    test::declareUnpackedSize(&bomb, "word/document.xml", 40u << 20);
    QTest::newRow("zip bomb ratio") << "r.docx" << bomb << ""
                                    << "packed more tightly";
    QTest::newRow("no text") << "empty.html" << QByteArray("<script>x</script>") << ""
                             << "holds no text";
}

void TestDocuments::load() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    test::writeBytes(path, bytes);
    const DocumentLoad first = loadDocument(path);
    QCOMPARE(first.error.contains(error), true);
    QCOMPARE(first.status,
             error.isEmpty() ? DocumentLoad::Status::Loaded : DocumentLoad::Status::Failed);
    QCOMPARE(first.bookText, text);
    // Same file, same text: saved places land on the same sentence.
    QCOMPARE(loadDocument(path).bookText, first.bookText);
}

void TestDocuments::readablePaths_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("readable");
    QTest::newRow("txt anywhere") << "archive.TxT.bak" << true;
    QTest::newRow("epub any case") << "/home/a/Book.EPUB" << true;
    QTest::newRow("markdown") << "notes.markdown" << true;
    QTest::newRow("xhtml") << "c.xhtml" << true;
    QTest::newRow("pdf inside the name only") << "a.pdf.zip" << false;
    QTest::newRow("spreadsheet") << "sheet.ods" << false;
}

void TestDocuments::readablePaths() {
    QFETCH(QString, path);
    QFETCH(bool, readable);
    QCOMPARE(isReadablePath(path), readable);
}

void TestDocuments::textLimitAndCancel() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.epub"));
    test::writeBytes(path, epub({"one.xhtml"}, {{"one.xhtml", kChapterOne}}));
    LoadProgress progress;
    progress.cancelled = [] { return true; };
    QCOMPARE(loadDocument(path, progress).status, DocumentLoad::Status::Cancelled);
    // Cancel stops the HTML5 parse itself, which has no steps of its own.
    const QString page = dir.filePath(QStringLiteral("page.html"));
    test::writeBytes(page, QByteArray("<p>Text.</p>").repeated(5000));
    const DocumentLoad load = loadDocument(page, progress);
    QCOMPARE(load.status, DocumentLoad::Status::Cancelled);
    QVERIFY(load.bookText.isEmpty());

    ParagraphCollector collector(LoadProgress{}, 10);
    collector.append(u"0123456789");
    collector.append(u"x");
    QCOMPARE(collector.finish().status, Extraction::Status::TextLimit);
}

void TestDocuments::missingChapterNotice() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.epub"));
    test::writeBytes(path, epub({"gone.xhtml", "one.xhtml"}, {{"one.xhtml", kChapterOne}}));
    QCOMPARE(loadDocument(path).notice,
             "One chapter of this e-book is missing from the file and was left out.");
}

QTEST_GUILESS_MAIN(TestDocuments)
#include "test_documents.moc"
