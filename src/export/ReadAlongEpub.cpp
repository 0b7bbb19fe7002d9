#include "export/ReadAlongEpub.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUuid>
#include <fcntl.h>
#include <list>
#include <unistd.h>
#include <zip.h>

namespace orasent {

const char* const kActiveClass = "orasent-heard";

namespace {

QString esc(const QString& text) {
    return text.toHtmlEscaped();
}

// One chapter of the book as written: its files and what it holds.
struct ChapterFiles {
    QString name; // "chapter01"
    QString title;
    int part = -1; // index into parts; -1 without sound
    QString xhtml;
    QString smil;
};

class EpubBuilder {
public:
    explicit EpubBuilder(const ReadAlongBook& book) : m_book(book) {
        m_blocks =
            textBlocks(book.request.text, book.request.document, book.request.paragraphStarts);
        for (int i = 0; i < book.parts.size(); ++i) {
            m_partOfChapter.insert(book.parts[i].chapter, i);
            for (const SentenceTiming& t : book.parts[i].timings)
                m_timed.insert(t.sentence, i);
        }
        m_language = book.tags.language.isEmpty() ? QStringLiteral("und") : book.tags.language;
    }
    QVector<ChapterFiles> chapters();
    QString package(const QVector<ChapterFiles>& files) const;
    QString nav(const QVector<ChapterFiles>& files) const;
    QString css() const;

private:
    QString body(qsizetype from, qsizetype to) const;
    QString blockHtml(const TextBlock& block, int* sentence) const;
    QString smil(const ChapterFiles& chapter) const;
    QString page(const QString& title, const QString& body, const QString& head = {}) const;

    const ReadAlongBook& m_book;
    QVector<TextBlock> m_blocks;
    QHash<int, int> m_partOfChapter;
    QHash<int, int> m_timed;     // sentence -> part
    mutable QSet<int> m_spanned; // sentences that have their first span
    QString m_language;
};

QString EpubBuilder::page(const QString& title, const QString& body, const QString& head) const {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n"
                          "<html xmlns=\"http://www.w3.org/1999/xhtml\" "
                          "xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"%1\" "
                          "lang=\"%1\">\n<head>\n<meta charset=\"UTF-8\"/>\n<title>%2</title>\n"
                          "%3</head>\n<body>\n%4</body>\n</html>\n")
        .arg(esc(m_language), esc(title), head, body);
}

// The block's text with each sentence in it wrapped in a span; `sentence` is the first sentence
// that may reach into it and moves past those that end in it.
QString EpubBuilder::blockHtml(const TextBlock& block, int* sentence) const {
    const QString& text = m_book.request.text;
    const qsizetype end = block.start + block.length;
    QString html;
    qsizetype at = block.start;
    for (int s = *sentence; s < m_book.sentences.size(); ++s) {
        const SentenceSpan& span = m_book.sentences[s];
        if (span.start >= end)
            break;
        if (span.start + span.length <= block.start) {
            *sentence = s + 1; // ended in the text between blocks (a heading's added period)
            continue;
        }
        const qsizetype from = qMax(span.start, block.start);
        const qsizetype to = qMin(span.start + span.length, end);
        if (span.start + span.length <= end)
            *sentence = s + 1;
        const QString piece = text.mid(from, to - from);
        const QString trimmed = piece.trimmed();
        if (from > at)
            html += esc(text.mid(at, from - at));
        at = to;
        if (trimmed.isEmpty()) {
            html += esc(piece);
            continue;
        }
        const qsizetype lead = piece.indexOf(trimmed);
        html += esc(piece.left(lead));
        // A sentence cut by a line break: the overlay points at its first piece.
        const bool first = !m_spanned.contains(s);
        m_spanned.insert(s);
        const QString id = first ? QStringLiteral("s%1").arg(s + 1)
                                 : QStringLiteral("s%1-%2").arg(s + 1).arg(from);
        html += QStringLiteral("<span id=\"%1\">%2</span>").arg(id, esc(trimmed));
        html += esc(piece.mid(lead + trimmed.size()));
    }
    if (at < end)
        html += esc(text.mid(at, end - at));
    const bool heading = block.kind == Paragraph::Kind::Heading;
    const QString tag =
        heading ? QStringLiteral("h%1").arg(qBound(1, block.level, 6)) : QStringLiteral("p");
    const QString lang =
        block.language.isEmpty() || block.language == m_language
            ? QString()
            : QStringLiteral(" xml:lang=\"%1\" lang=\"%1\"").arg(esc(block.language));
    return QStringLiteral("<%1%2>%3</%1>\n").arg(tag, lang, html);
}

QString EpubBuilder::body(qsizetype from, qsizetype to) const {
    QString html;
    int sentence = 0;
    while (sentence < m_book.sentences.size() &&
           m_book.sentences[sentence].start + m_book.sentences[sentence].length <= from)
        ++sentence;
    const qsizetype first = m_book.sentences.isEmpty() ? 0 : m_book.sentences.first().start;
    for (const TextBlock& block : m_blocks) {
        const qsizetype end = block.start + block.length;
        if (end <= from || block.start >= to || end <= first)
            continue;
        html += blockHtml(block, &sentence);
    }
    return html;
}

QString EpubBuilder::smil(const ChapterFiles& chapter) const {
    const ExportPart& part = m_book.parts[chapter.part];
    const QString audio = QFileInfo(part.audioPath).fileName();
    QString pars;
    for (const SentenceTiming& t : part.timings) {
        const qint64 end = qMin(qMax(t.endMs, t.beginMs + 1), part.durationMs);
        pars += QStringLiteral("<par id=\"p%1\"><text src=\"%2.xhtml#s%1\"/><audio src=\"%3\" "
                               "clipBegin=\"%4\" clipEnd=\"%5\"/></par>\n")
                    .arg(t.sentence + 1)
                    .arg(chapter.name, audio, smilClock(t.beginMs), smilClock(end));
    }
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<smil xmlns=\"http://www.w3.org/ns/SMIL\" "
                          "xmlns:epub=\"http://www.idpf.org/2007/ops\" version=\"3.0\">\n<body>\n"
                          "<seq id=\"seq1\" epub:textref=\"%1.xhtml#text\">\n%2</seq>\n</body>\n"
                          "</smil>\n")
        .arg(chapter.name, pars);
}

QVector<ChapterFiles> EpubBuilder::chapters() {
    QVector<ChapterFiles> files;
    const auto& all = m_book.chapters;
    const QString css = QStringLiteral("<link rel=\"stylesheet\" type=\"text/css\" "
                                       "href=\"style.css\"/>\n");
    for (int c = 0; c < all.size(); ++c) {
        const qsizetype to =
            c + 1 < all.size() ? all[c + 1].textOffset : m_book.request.text.size();
        const QString html = body(all[c].textOffset, to);
        if (html.isEmpty())
            continue; // nothing but markup: no page
        ChapterFiles chapter;
        chapter.name =
            QStringLiteral("chapter%1").arg(c + 1, all.size() > 99 ? 3 : 2, 10, QLatin1Char('0'));
        chapter.title =
            all[c].title.isEmpty() ? QStringLiteral("Chapter %1").arg(c + 1) : all[c].title;
        chapter.part = m_partOfChapter.value(c, -1);
        chapter.xhtml = page(
            chapter.title, QStringLiteral("<section id=\"text\">\n%1</section>\n").arg(html), css);
        if (chapter.part >= 0)
            chapter.smil = smil(chapter);
        files.append(chapter);
    }
    return files;
}

QString EpubBuilder::nav(const QVector<ChapterFiles>& files) const {
    QString items;
    for (const ChapterFiles& f : files)
        items += QStringLiteral("<li><a href=\"%1.xhtml\">%2</a></li>\n").arg(f.name, esc(f.title));
    return page(QStringLiteral("Contents"),
                QStringLiteral("<nav epub:type=\"toc\" id=\"toc\">\n<h1>Contents</h1>\n<ol>\n%1"
                               "</ol>\n</nav>\n")
                    .arg(items));
}

QString EpubBuilder::package(const QVector<ChapterFiles>& files) const {
    const BookTags& tags = m_book.tags;
    const DocumentMetadata& meta = m_book.request.document.metadata;
    QString metadata, manifest, spine;
    qint64 totalMs = 0;
    for (const ChapterFiles& f : files) {
        QString overlay;
        if (f.part >= 0) {
            const ExportPart& part = m_book.parts[f.part];
            const QString audio = QFileInfo(part.audioPath).fileName();
            overlay = QStringLiteral(" media-overlay=\"%1-overlay\"").arg(f.name);
            manifest +=
                QStringLiteral("<item id=\"%1-overlay\" href=\"%1.smil\" "
                               "media-type=\"application/smil+xml\"/>\n"
                               "<item id=\"%1-audio\" href=\"%2\" media-type=\"audio/mpeg\"/>\n")
                    .arg(f.name, audio);
            metadata += QStringLiteral(
                            "<meta property=\"media:duration\" refines=\"#%1-overlay\">%2</meta>\n")
                            .arg(f.name, smilClock(part.durationMs));
            totalMs += part.durationMs;
        }
        manifest += QStringLiteral("<item id=\"%1\" href=\"%1.xhtml\" "
                                   "media-type=\"application/xhtml+xml\"%2/>\n")
                        .arg(f.name, overlay);
        spine += QStringLiteral("<itemref idref=\"%1\"/>\n").arg(f.name);
    }
    if (!tags.coverJpeg.isEmpty())
        manifest +=
            QStringLiteral("<item id=\"cover\" href=\"cover.jpg\" media-type=\"image/jpeg\" "
                           "properties=\"cover-image\"/>\n");
    const QString identifier =
        meta.identifier.trimmed().isEmpty()
            ? QStringLiteral("urn:uuid:") + QUuid::createUuid().toString(QUuid::WithoutBraces)
            : meta.identifier.trimmed();
    QString head = QStringLiteral("<dc:identifier id=\"book-id\">%1</dc:identifier>\n"
                                  "<dc:title>%2</dc:title>\n<dc:language>%3</dc:language>\n")
                       .arg(esc(identifier), esc(tags.title), esc(m_language));
    if (!tags.author.isEmpty())
        head += QStringLiteral("<dc:creator>%1</dc:creator>\n").arg(esc(tags.author));
    head +=
        QStringLiteral("<meta property=\"dcterms:modified\">%1</meta>\n")
            .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ")));
    head +=
        QStringLiteral("<meta property=\"media:narrator\">%1</meta>\n").arg(esc(tags.encodedBy));
    if (totalMs > 0)
        head += QStringLiteral("<meta property=\"media:duration\">%1</meta>\n"
                               "<meta property=\"media:active-class\">%2</meta>\n")
                    .arg(smilClock(totalMs), QLatin1String(kActiveClass));
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" "
                          "unique-identifier=\"book-id\" xml:lang=\"%1\">\n"
                          "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\">\n%2%3"
                          "</metadata>\n<manifest>\n<item id=\"nav\" href=\"nav.xhtml\" "
                          "media-type=\"application/xhtml+xml\" properties=\"nav\"/>\n"
                          "<item id=\"style\" href=\"style.css\" media-type=\"text/css\"/>\n%4"
                          "</manifest>\n<spine>\n%5</spine>\n</package>\n")
        .arg(esc(m_language), head, metadata, manifest, spine);
}

// The sentence band of the reader's look, or a soft yellow under the book's own text colour.
QString EpubBuilder::css() const {
    QColor band = m_book.request.sentenceBand;
    if (!band.isValid())
        band = QColor(0xff, 0xee, 0x88);
    QString rule = QStringLiteral("background-color: %1;").arg(band.name());
    if (m_book.request.textColour.isValid())
        rule += QStringLiteral(" color: %1;").arg(m_book.request.textColour.name());
    return QStringLiteral(".%1 { %2 }\nh1, h2, h3, h4, h5, h6 { line-height: 1.3; }\n"
                          "p { line-height: 1.5; }\n")
        .arg(QLatin1String(kActiveClass), rule);
}

// The archive: "mimetype" first and stored, then the rest; the MP3s stored as they are.
class Zip {
public:
    explicit Zip(const QString& path) {
        int error = 0;
        m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    }
    ~Zip() {
        if (m_zip)
            zip_discard(m_zip);
    }
    bool isOpen() const { return m_zip != nullptr; }
    bool add(const QString& name, const QByteArray& data, bool store = false) {
        m_data.push_back(data);
        zip_source_t* source =
            zip_source_buffer(m_zip, m_data.back().constData(), zip_uint64_t(data.size()), 0);
        return addSource(name, source, store);
    }
    bool addFile(const QString& name, const QString& path) {
        zip_source_t* source = zip_source_file(m_zip, QFile::encodeName(path).constData(), 0, -1);
        return addSource(name, source, true);
    }
    // False with the reason when the archive cannot be completed.
    bool close(QString* error) {
        const int closed = zip_close(m_zip);
        if (closed != 0) {
            *error = QString::fromUtf8(zip_strerror(m_zip));
            return false;
        }
        m_zip = nullptr;
        return true;
    }

private:
    bool addSource(const QString& name, zip_source_t* source, bool store) {
        if (!source)
            return false;
        const zip_int64_t index =
            zip_file_add(m_zip, name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return false;
        }
        return !store || zip_set_file_compression(m_zip, zip_uint64_t(index), ZIP_CM_STORE, 0) == 0;
    }
    zip_t* m_zip = nullptr;
    std::list<QByteArray> m_data; // kept until the archive is written
};

bool flushToDisk(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return synced;
}

} // namespace

QString smilClock(qint64 ms) {
    return QStringLiteral("%1:%2:%3.%4")
        .arg(ms / 3600000)
        .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

bool writeReadAlongEpub(const ReadAlongBook& book, const QString& workFolder, const QString& target,
                        QString* error) {
    EpubBuilder builder(book);
    const QVector<ChapterFiles> chapters = builder.chapters();
    if (chapters.isEmpty()) {
        *error = QStringLiteral("The text has nothing to show in a book.");
        return false;
    }
    const QString temporary = QDir(workFolder).filePath(QStringLiteral("book.epub"));
    Zip zip(temporary);
    bool ok = zip.isOpen() && zip.add(QStringLiteral("mimetype"), "application/epub+zip", true) &&
              zip.add(QStringLiteral("META-INF/container.xml"),
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<container version=\"1.0\" "
                      "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\n<rootfiles>\n"
                      "<rootfile full-path=\"EPUB/package.opf\" "
                      "media-type=\"application/oebps-package+xml\"/>\n</rootfiles>\n"
                      "</container>\n") &&
              zip.add(QStringLiteral("EPUB/package.opf"), builder.package(chapters).toUtf8()) &&
              zip.add(QStringLiteral("EPUB/nav.xhtml"), builder.nav(chapters).toUtf8()) &&
              zip.add(QStringLiteral("EPUB/style.css"), builder.css().toUtf8());
    if (ok && !book.tags.coverJpeg.isEmpty())
        ok = zip.add(QStringLiteral("EPUB/cover.jpg"), book.tags.coverJpeg, true);
    for (const ChapterFiles& c : chapters) {
        ok = ok && zip.add(QStringLiteral("EPUB/%1.xhtml").arg(c.name), c.xhtml.toUtf8());
        if (ok && c.part >= 0) {
            const QString audio = book.parts[c.part].audioPath;
            ok = zip.add(QStringLiteral("EPUB/%1.smil").arg(c.name), c.smil.toUtf8()) &&
                 zip.addFile(QStringLiteral("EPUB/") + QFileInfo(audio).fileName(), audio);
        }
    }
    QString why = QStringLiteral("the archive could not be made");
    if (!ok || !zip.close(&why) || !flushToDisk(temporary)) {
        *error = QStringLiteral("Could not write \"%1\": %2").arg(target, why);
        return false;
    }
    if (::rename(QFile::encodeName(temporary).constData(),
                 QFile::encodeName(QFileInfo(target).absoluteFilePath()).constData()) != 0) {
        *error = QStringLiteral("Could not replace \"%1\".").arg(target);
        return false;
    }
    return true;
}

} // namespace orasent
