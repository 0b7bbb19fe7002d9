// E-books, XHTML, web pages and Markdown, built here, give their paragraphs' kinds, levels,
// languages and sources, their metadata and contents; notes go to the end of their chapter;
// declared entities are read and runaway ones refused.
#include "FileBytes.h"
#include "ZipBuilder.h"
#include "documents/DocumentLoader.h"
#include "documents/EpubText.h"
#include "documents/MarkdownText.h"
#include "documents/MarkupText.h"
#include "documents/NoteFilter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace orasent;
using orasent::test::buildZip;
using orasent::test::ZipEntries;

namespace {

const char* kindName(Paragraph::Kind kind) {
    switch (kind) {
    case Paragraph::Kind::Heading:
        return "H";
    case Paragraph::Kind::ListItem:
        return "L";
    case Paragraph::Kind::Cell:
        return "C";
    case Paragraph::Kind::Note:
        return "N";
    default:
        return "B";
    }
}

// One line a paragraph: kind and level, language, source, text.
QString dump(const Extraction& e) {
    QStringList lines;
    for (const Paragraph& p : e.paragraphs)
        lines << QStringLiteral("%1%2|%3|%4|%5")
                     .arg(QLatin1String(kindName(p.kind)))
                     .arg(p.level > 0 ? QString::number(p.level) : QString())
                     .arg(p.language, p.sourceId, p.text.simplified());
    return lines.join(u'\n');
}

QString dumpHead(const Extraction& e) {
    QStringList contents;
    for (const ContentsEntry& c : e.contents)
        contents << QStringLiteral("%1:%2@%3").arg(c.level).arg(c.title).arg(c.paragraph);
    return QStringList{e.metadata.title, e.metadata.author, e.metadata.language,
                       e.metadata.identifier, contents.join(u',')}
        .join(u'|');
}

const QByteArray kChapterTwo =
    R"(<html xmlns="http://www.w3.org/1999/xhtml" xmlns:epub="http://www.idpf.org/2007/ops">
<body><h1>Chapter Two</h1><p>End.</p><section epub:type="endnotes"><ol><li id="e1">Endnote
one.</li></ol></section></body></html>)";

const QByteArray kContainer =
    R"(<?xml version="1.0"?><container xmlns="urn:oasis:names:tc:opendocument:xmlns:container">
<rootfiles><rootfile full-path="OEBPS/book.opf" media-type="application/oebps-package+xml"/>
</rootfiles></container>)";

QByteArray epub(const QByteArray& navOrNcx, const QByteArray& chapterTwo = kChapterTwo) {
    const bool ncx = navOrNcx.contains("<ncx");
    ZipEntries entries{{"mimetype", "application/epub+zip"},
                       {"META-INF/container.xml", kContainer},
                       {"OEBPS/book.opf",
                        R"(<package xmlns="http://www.idpf.org/2007/opf" unique-identifier="uid">
<metadata xmlns:dc="http://purl.org/dc/elements/1.1/"><dc:identifier id="isbn">978-0</dc:identifier>
<dc:identifier id="uid">urn:uuid:1234</dc:identifier><dc:title>The Book</dc:title>
<dc:creator>A. Writer</dc:creator><dc:language>en</dc:language></metadata><manifest>
<item id="nav" href="nav.xhtml" properties="nav" media-type="application/xhtml+xml"/>
<item id="ncx" href="toc.ncx" media-type="application/x-dtbncx+xml"/>
<item id="a" href="text/one.xhtml" media-type="application/xhtml+xml"/>
<item id="b" href="text/two.xhtml" media-type="application/xhtml+xml"/></manifest>
<spine toc="ncx"><itemref idref="a"/><itemref idref="b"/></spine></package>)"},
                       {ncx ? "OEBPS/toc.ncx" : "OEBPS/nav.xhtml", navOrNcx},
                       {"OEBPS/text/one.xhtml",
                        R"(<?xml version="1.0"?><html xmlns="http://www.w3.org/1999/xhtml"
 xmlns:epub="http://www.idpf.org/2007/ops" xml:lang="en"><head><title>One</title></head><body>
<section id="s1"><h1>Chapter One</h1><img src="c.jpg" alt="Cover"/>
<p id="p1">It was<span epub:type="pagebreak" id="page7" title="7">7</span> late.<a
 epub:type="noteref" href="#n1">1</a></p><aside epub:type="footnote" id="n1"><p>A note.</p></aside>
<p xml:lang="fr">Bonjour <span lang="de">und</span> tout.</p>
<ul><li>Item</li></ul><table><tr><td>Cell</td></tr></table>
<h2 id="s2">Part Two</h2><p>More<span role="doc-pagebreak">8</span> text.</p></section></body></html>)"},
                       {"OEBPS/text/two.xhtml", chapterTwo}};
    return buildZip(entries);
}

const QByteArray kNav = R"(<html xmlns="http://www.w3.org/1999/xhtml"
 xmlns:epub="http://www.idpf.org/2007/ops"><body><nav epub:type="toc"><ol>
<li><a href="text/one.xhtml">One</a><ol><li><a href="text/one.xhtml#s2">Two</a></li>
<li><a href="../outside.xhtml">Outside</a></li><li><a href="text/gone.xhtml#x">Gone</a></li>
</ol></li><li><a href="text/two.xhtml#nowhere">Second</a></li></ol></nav></body></html>)";

const QByteArray kNcx = R"(<ncx xmlns="http://www.daisy.org/z3986/2005/ncx/"><navMap>
<navPoint id="a"><navLabel><text>First</text></navLabel><content src="text/one.xhtml#p1"/>
<navPoint id="b"><navLabel><text>Inner</text></navLabel><content src="text/two.xhtml"/>
</navPoint></navPoint></navMap></ncx>)";

const QString kEpubParagraphs = QStringLiteral("H1||OEBPS/text/one.xhtml#s1|Chapter One\n"
                                               "B||OEBPS/text/one.xhtml#p1|It was late.\n"
                                               "B|fr|OEBPS/text/one.xhtml#s1|Bonjour und tout.\n"
                                               "L||OEBPS/text/one.xhtml#s1|Item\n"
                                               "C||OEBPS/text/one.xhtml#s1|Cell\n"
                                               "H2||OEBPS/text/one.xhtml#s2|Part Two\n"
                                               "B||OEBPS/text/one.xhtml#s1|More text.\n"
                                               "N||OEBPS/text/one.xhtml|Notes\n"
                                               "N||OEBPS/text/one.xhtml#n1|A note.\n"
                                               "H1||OEBPS/text/two.xhtml|Chapter Two\n"
                                               "B||OEBPS/text/two.xhtml|End.\n"
                                               "N||OEBPS/text/two.xhtml|Notes\n"
                                               "N||OEBPS/text/two.xhtml#e1|Endnote one.");

// A billion laughs: ten levels of ten references.
QByteArray laughs() {
    QByteArray dtd = "<!DOCTYPE html [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        dtd += "<!ENTITY l" + QByteArray::number(i) + " \"";
        for (int j = 0; j < 10; ++j)
            dtd += "&l" + QByteArray::number(i - 1) + ";";
        dtd += "\">";
    }
    return dtd + "]><html><body><p>&l9;</p></body></html>";
}

QByteArray manyHeadings() {
    QByteArray page = "<html><body>";
    for (int i = 0; i < 10000; ++i)
        page += "<h3>Heading " + QByteArray::number(i) + "</h3>";
    return page + "</body></html>";
}

} // namespace

class TestMarkupModel : public QObject {
    Q_OBJECT
private slots:
    void epubModel_data();
    void epubModel();
    void markup_data();
    void markup();
    void entities_data();
    void entities();
    void withoutNotes();
    void corpusContents();
};

void TestMarkupModel::epubModel_data() {
    QTest::addColumn<QByteArray>("book");
    QTest::addColumn<QString>("head");
    QTest::newRow("EPUB 3 nav; entries outside the book left out")
        << epub(kNav) << "The Book|A. Writer|en|urn:uuid:1234|1:One@0,2:Two@5,1:Second@9";
    QTest::newRow("EPUB 2 NCX") << epub(kNcx)
                                << "The Book|A. Writer|en|urn:uuid:1234|1:First@1,2:Inner@9";
}

void TestMarkupModel::epubModel() {
    QFETCH(QByteArray, book);
    QFETCH(QString, head);
    const Extraction e = extractEpubParagraphs(book);
    QCOMPARE(e.status, Extraction::Status::Ok);
    QCOMPARE(dump(e), kEpubParagraphs);
    QCOMPARE(dumpHead(e), head);
}

void TestMarkupModel::markup_data() {
    QTest::addColumn<QString>("kind"); // html, xhtml, md
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("paragraphs");
    QTest::addColumn<QString>("head");

    QTest::newRow("web page: French paragraph, main part, odd tags")
        << "html" << QByteArray(R"(<html lang="en-GB"><head><title>News</title>
<meta name="author" content="Ann"></head><body><header><a href="/">Home</a> Site</header>
<nav><a href="/a">A</a></nav><main><h2 id="t">Story</h2><p>English text,<span class="pagenum">
[Pg 3]</span> told at length.</p>
<p lang="fr">Un paragraphe en français.</p><p lang="x-klingon">Qapla.</p><p lang="zz">Zz.</p>
<p lang="not a tag!">Plain.</p><ul><li><a href="/1">Link one</a></li><li><a href="/2">Link
two</a></li></ul><aside role="note" class="x"><p>Kept aside.</p></aside></main>
<div class="cookie-banner">We use cookies.</div><footer>Copyright</footer></body></html>)")
        << "H2||#t|Story\nB|||English text, told at length.\nB|fr||Un paragraphe en français.\n"
           "B|x-klingon||Qapla.\nB|zz||Zz.\nB|||Plain.\nB|||Kept aside."
        << "News|Ann|en-GB||";
    QTest::newRow("web page without a main part is read whole")
        << "html" << QByteArray("<p>One short.</p><div><p>Two short.</p></div>")
        << "B|||One short.\nB|||Two short."
        << "||||";
    QTest::newRow("wrapper named like a header that holds the page is read")
        << "html"
        << QByteArray("<div class=\"page-header-wrap\"><p>All of the story.</p></div>"
                      "<div class=\"sidebar\">Side</div>")
        << "B|||All of the story."
        << "||||";
    QTest::newRow("xhtml with declared entities")
        << "xhtml"
        << QByteArray(R"(<?xml version="1.0"?><!DOCTYPE html PUBLIC "-//W3C//DTD XHTML 1.1//EN"
 "http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd" [<!ENTITY O "&#x4F;h"><!ENTITY OO "&O;, &O;!">
<!ENTITY ext SYSTEM "file:///etc/passwd">]><html xmlns="http://www.w3.org/1999/xhtml"><body>
<p>&OO; said&ext; he.</p></body></html>)")
        << "B|||Oh, Oh! said he."
        << "||||";
    QTest::newRow("markdown: levels, lists, footnotes, title block")
        << "md"
        << QByteArray("---\ntitle: \"Guide\"\nauthor: Me\nlang: de\n---\n# Top\n\nText[^a] "
                      "here.\n\n## Sub\n\n- item\n\n[^a]: The note\n    goes on.\n\nAfter.\n")
        << "H1|||Top\nB|||Text here.\nH2|||Sub\nL|||item\nB|||After.\nN|||Notes\n"
           "N|||The note goes on."
        << "Guide|Me|de||";
    QTest::newRow("10,000 headings") << "html" << manyHeadings() << ""
                                     << "||||";
}

void TestMarkupModel::markup() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, paragraphs);
    QFETCH(QString, head);
    const Extraction e = kind == QLatin1String("html")    ? extractHtmlParagraphs(bytes)
                         : kind == QLatin1String("xhtml") ? extractXhtmlParagraphs(bytes)
                                                          : extractMarkdownParagraphs(bytes);
    QCOMPARE(e.status, Extraction::Status::Ok);
    if (paragraphs.isEmpty()) { // the heading flood: every one a level-3 heading in contents
        QCOMPARE(e.paragraphs.size(), 10000);
        QCOMPARE(contentsFromHeadings(e.paragraphs).size(), 10000);
        QCOMPARE(contentsFromHeadings(e.paragraphs).last().level, 3);
        return;
    }
    QCOMPARE(dump(e), paragraphs);
    QCOMPARE(dumpHead(e), head);
}

void TestMarkupModel::entities_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("billion laughs") << laughs();
    QTest::newRow("entity referring to itself")
        << QByteArray("<!DOCTYPE p [<!ENTITY a \"x&a;\">]><p>&a;</p>");
    QByteArray deep = "<!DOCTYPE p [<!ENTITY e0 \"deep\">";
    for (int i = 1; i <= 40; ++i)
        deep += "<!ENTITY e" + QByteArray::number(i) + " \"&e" + QByteArray::number(i - 1) + ";\">";
    QTest::newRow("forty levels deep") << deep + "]><p>&e40;</p>";
    QByteArray wide = "<!DOCTYPE p [<!ENTITY big \"" + QByteArray(60000, 'x') + "\">]><p>";
    for (int i = 0; i < 400; ++i)
        wide += "&big;";
    QTest::newRow("24 MB from one entity") << wide + "</p>";
}

void TestMarkupModel::entities() {
    QFETCH(QByteArray, bytes);
    QCOMPARE(extractXhtmlParagraphs(bytes).status, Extraction::Status::Entities);
    const QByteArray book = epub(kNav, bytes);
    QCOMPARE(extractEpubParagraphs(book).status, Extraction::Status::Entities);
}

void TestMarkupModel::withoutNotes() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.epub"));
    test::writeBytes(path, epub(kNav));
    DocumentLoad load = loadDocument(path);
    QCOMPARE(load.status, DocumentLoad::Status::Loaded);
    QVERIFY(load.bookText.contains(QLatin1String("Notes. \r\nA note. \r\nChapter Two")));
    QVERIFY(dropNotes(&load));
    QCOMPARE(load.bookText,
             QStringLiteral("Chapter One. \r\nIt was late. \r\nBonjour und tout. \r\nItem. \r\n"
                            "Cell. \r\nPart Two. \r\nMore text. \r\nChapter Two. \r\nEnd. "));
    QCOMPARE(load.paragraphStarts.size(), load.document.paragraphs.size());
    QCOMPARE(load.document.contents.size(), 3);
    QCOMPARE(load.document.contents.at(1).paragraph, 5); // "Part Two"
    QCOMPARE(load.document.contents.at(2).paragraph, 7); // "Chapter Two", after the notes
    QVERIFY(!dropNotes(&load));
}

// Real books: their own contents point at headings in reading order, inside the book.
void TestMarkupModel::corpusContents() {
    // The test data folder is tests/data in the source folder; the corpus lies beside that.
    const QDir corpus(QDir::cleanPath(qEnvironmentVariable("ORASENT_TEST_DATA") +
                                      QStringLiteral("/../../../shared/corpus")));
    const QStringList books = corpus.entryList({QStringLiteral("*.epub")});
    if (books.isEmpty())
        QSKIP("No shared corpus beside the source folder.");
    for (const QString& name : books) {
        QFile file(corpus.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const Extraction e = extractEpubParagraphs(file.readAll());
        QCOMPARE(e.status, Extraction::Status::Ok);
        QVERIFY2(!e.contents.isEmpty(), qPrintable(name));
        QVERIFY2(!e.metadata.title.isEmpty() && !e.metadata.language.isEmpty(), qPrintable(name));
        int previous = 0;
        for (const ContentsEntry& entry : e.contents) {
            QVERIFY2(entry.paragraph >= previous && entry.paragraph < e.paragraphs.size(),
                     qPrintable(name + QLatin1Char(' ') + entry.title));
            previous = entry.paragraph;
        }
        qInfo("%s: %d entries, language %s", qPrintable(name), int(e.contents.size()),
              qPrintable(e.metadata.language));
    }
}

QTEST_GUILESS_MAIN(TestMarkupModel)
#include "test_markup_model.moc"
