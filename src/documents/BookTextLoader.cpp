#include "documents/BookTextLoader.h"

#include "common/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringView>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace orasent {

namespace {

// Bytes read per step; the file is never held whole as bytes.
constexpr qsizetype kChunkBytes = qsizetype(4) << 20;

constexpr QStringView kAnswerMarker = u"The answer is";

// The book of a large file is hundreds of megabytes written once from start to end. With 4 KiB
// pages, faulting them in costs more than the whole decoding on some (virtual) machines; ask
// for huge pages on the page-aligned inside of the buffer. Only advice: contents are unchanged.
void adviseHugePages(QChar* data, qsizetype chars) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHugePage = std::uintptr_t(2) << 20;
    const auto begin = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t end = begin + std::uintptr_t(chars) * sizeof(QChar);
    const std::uintptr_t alignedBegin = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const std::uintptr_t alignedEnd = end & ~(kHugePage - 1);
    if (alignedEnd > alignedBegin)
        ::madvise(reinterpret_cast<void*>(alignedBegin), alignedEnd - alignedBegin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)chars;
#endif
}

// Appends decoded text to the book, line by line. A line ends at CR LF, a lone CR or a lone LF.
// The lines of a paragraph are joined with a blank (none after a line that already ends in a
// blank or tab); an empty line ends the paragraph, which then closes its own sentence as a
// document's paragraphs do, and the next paragraph starts on a new CR LF line. A line holding
// the answer marker is preceded by CR LF instead of the blank. Writes straight into the book's
// storage, which was sized from the file up front.
class BookTextBuilder {
public:
    BookTextBuilder(QString* book, QVector<qsizetype>* paragraphStarts)
        : m_book(book), m_starts(paragraphStarts) {}

    void reset() {
        m_used = 0;
        m_separatorStart = 0;
        m_lineStart = 0;
        m_lineOpen = false;
        m_lineHasAnswer = false;
        m_skipLeadingLineFeed = false;
        m_inParagraph = false;
        m_anyParagraph = false;
        if (m_starts)
            m_starts->clear();
    }

    void reserve(qsizetype chars) {
        if (m_book->size() < chars)
            resizeBook(chars);
    }

    void feed(QStringView chunk) {
        const qsizetype n = chunk.size();
        qsizetype i = 0;
        if (n > 0 && m_skipLeadingLineFeed) {
            // The CR that ended the last chunk is followed by this LF: one CR LF.
            m_skipLeadingLineFeed = false;
            if (chunk[0] == u'\n')
                i = 1;
        }
        // Markers never contain a line end, so each lies within one segment; find them once.
        qsizetype marker = chunk.indexOf(kAnswerMarker, i);
        bool firstSegment = true;
        while (i < n) {
            const qsizetype lineEnd = nextLineEnd(chunk, i);
            const qsizetype end = lineEnd < 0 ? n : lineEnd;
            if (marker >= 0 && marker < i)
                marker = chunk.indexOf(kAnswerMarker, i);
            if (marker >= i && marker < end)
                m_lineHasAnswer = true;
            append(chunk.constData() + i, end - i, firstSegment);
            firstSegment = false;
            if (lineEnd < 0)
                break;
            endLine();
            i = lineEnd + 1;
            if (chunk[lineEnd] == u'\r') {
                if (i < n) {
                    if (chunk[i] == u'\n')
                        ++i;
                } else {
                    m_skipLeadingLineFeed = true;
                }
            }
        }
    }

    // The last line and paragraph count even without a line end.
    void finish() {
        endLine();
        closeParagraph();
        m_book->resize(m_used);
    }

    // What was built so far, for a read that failed part-way.
    void keepPartial() {
        endLine();
        m_book->resize(m_used);
    }

private:
    static qsizetype nextLineEnd(QStringView chunk, qsizetype from) {
        const QChar* data = chunk.constData();
        for (qsizetype i = from, n = chunk.size(); i < n; ++i)
            if (data[i] == u'\r' || data[i] == u'\n')
                return i;
        return -1;
    }

    static bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

    void ensureRoom(qsizetype extra) {
        const qsizetype needed = m_used + extra;
        if (needed > m_book->size())
            resizeBook(std::max(needed, m_book->size() + m_book->size() / 2 + 16));
    }

    void resizeBook(qsizetype chars) {
        m_book->resize(chars);
        adviseHugePages(m_book->data(), m_book->size());
    }

    void put(QStringView text) {
        ensureRoom(text.size());
        std::memcpy(m_book->data() + m_used, text.data(), size_t(text.size()) * sizeof(QChar));
        m_used += text.size();
    }

    // Writes what goes before a line: a blank inside a paragraph, a line break before a new
    // paragraph. Taken back if the line turns out to be empty.
    void beginLine() {
        m_lineOpen = true;
        m_separatorStart = m_used;
        if (m_inParagraph) {
            if (m_used > 0 && !isBlank(m_book->at(m_used - 1)))
                put(u" ");
        } else if (m_anyParagraph) {
            put(u"\r\n");
        }
        m_lineStart = m_used;
    }

    void append(const QChar* data, qsizetype count, bool mayContinueMarker) {
        if (!m_lineOpen)
            beginLine();
        const qsizetype before = m_used;
        ensureRoom(count);
        if (count > 0)
            std::memcpy(m_book->data() + m_used, data, size_t(count) * sizeof(QChar));
        m_used += count;
        // A marker may straddle two chunks of the same line: look across the seam.
        if (mayContinueMarker && !m_lineHasAnswer && before > m_lineStart) {
            const qsizetype overlap = kAnswerMarker.size() - 1;
            const qsizetype from = std::max(m_lineStart, before - overlap);
            const qsizetype to = std::min(m_used, before + overlap);
            if (QStringView(m_book->constData() + from, to - from).contains(kAnswerMarker))
                m_lineHasAnswer = true;
        }
    }

    bool lineIsEmpty() const {
        const QChar* data = m_book->constData();
        for (qsizetype i = m_lineStart; i < m_used; ++i)
            if (!data[i].isSpace())
                return false;
        return true;
    }

    void endLine() {
        if (!m_lineOpen)
            beginLine();
        m_lineOpen = false;
        if (lineIsEmpty()) {
            m_used = m_separatorStart;
            m_lineHasAnswer = false;
            closeParagraph();
            return;
        }
        if (m_lineHasAnswer)
            breakBeforeAnswer();
        if (!m_inParagraph && m_starts)
            m_starts->append(m_lineStart);
        m_inParagraph = m_anyParagraph = true;
        m_lineHasAnswer = false;
    }

    // The answer line starts on a line of its own: its blank becomes CR LF, or CR LF is put in.
    void breakBeforeAnswer() {
        const qsizetype separator = m_lineStart - m_separatorStart;
        if (separator == 2)
            return; // already after a paragraph's line break
        const qsizetype shift = 2 - separator;
        ensureRoom(shift);
        QChar* data = m_book->data();
        std::memmove(data + m_lineStart + shift, data + m_lineStart,
                     size_t(m_used - m_lineStart) * sizeof(QChar));
        data[m_separatorStart] = u'\r';
        data[m_separatorStart + 1] = u'\n';
        m_used += shift;
        m_lineStart += shift;
    }

    // A paragraph closes its sentence: "." gets a blank after it, anything else ". ".
    void closeParagraph() {
        if (!m_inParagraph)
            return;
        m_inParagraph = false;
        const QChar* data = m_book->constData();
        while (m_used > 0 && isBlank(data[m_used - 1]))
            --m_used;
        put(m_used > 0 && data[m_used - 1] == u'.' ? QStringView(u" ") : QStringView(u". "));
    }

    QString* m_book;
    QVector<qsizetype>* m_starts;
    qsizetype m_used = 0;
    qsizetype m_separatorStart = 0; // where the current line's blank or line break begins
    qsizetype m_lineStart = 0;      // where the current line's own text begins
    bool m_lineOpen = false;
    bool m_lineHasAnswer = false;
    bool m_skipLeadingLineFeed = false;
    bool m_inParagraph = false;
    bool m_anyParagraph = false;
};

// Length of the leading part of `data` that holds only whole UTF-8 sequences; the rest (at most
// three bytes) belongs to a sequence that the next chunk completes.
qsizetype completeUtf8Prefix(const char* data, qsizetype size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    const qsizetype lowest = std::max<qsizetype>(0, size - 4);
    for (qsizetype i = size - 1; i >= lowest; --i) {
        const unsigned char c = bytes[i];
        if ((c & 0xC0) == 0x80)
            continue; // continuation byte: look further back for its lead
        int length = 1;
        if ((c & 0xE0) == 0xC0)
            length = 2;
        else if ((c & 0xF0) == 0xE0)
            length = 3;
        else if ((c & 0xF8) == 0xF0)
            length = 4;
        return i + length > size ? i : size;
    }
    return size;
}

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// A byte-order mark names the encoding of a UTF-16 or UTF-32 file; the decoder drops the mark.
std::optional<QStringConverter::Encoding> unicodeFromByteOrderMark(const QByteArray& head) {
    if (head.startsWith(QByteArrayLiteral("\xFF\xFE\x00\x00")))
        return QStringConverter::Utf32LE;
    if (head.startsWith(QByteArrayLiteral("\x00\x00\xFE\xFF")))
        return QStringConverter::Utf32BE;
    if (head.startsWith("\xFF\xFE"))
        return QStringConverter::Utf16LE;
    if (head.startsWith("\xFE\xFF"))
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

} // namespace

bool loadBookText(const QString& path, QString* bookText, QString* error,
                  QVector<qsizetype>* paragraphStarts) {
    // Emptied but its storage kept for now: reloading a file of about the same size reuses it.
    bookText->resize(0);
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        // Directories, pipes and devices: reading them could block or never end.
        setError(error, QStringLiteral("Not a regular file"));
        bookText->clear();
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(error, file.errorString());
        bookText->clear();
        return false;
    }

    // Every byte gives at most one character; the marker's CR LF is covered by the two extra
    // and by growth in the rare file whose answer lines end in a lone CR.
    const qsizetype wanted = std::max<qsizetype>(file.size(), 0) + 2;
    const qsizetype kept = bookText->capacity();
    if (kept < wanted || kept > wanted + wanted / 4 + (qsizetype(1) << 20))
        bookText->clear(); // release first, so the old and the new storage never coexist
    BookTextBuilder builder(bookText, paragraphStarts);
    builder.reserve(wanted);

    QByteArray buffer(kChunkBytes + 4, Qt::Uninitialized);
    QString decoded;
    const std::optional<QStringConverter::Encoding> unicode =
        unicodeFromByteOrderMark(file.peek(4));
    bool utf8 = !unicode;
    for (;;) {
        builder.reset();
        QStringDecoder decoder = unicode ? QStringDecoder(*unicode)
                                 : utf8  ? QStringDecoder(QStringDecoder::Utf8)
                                         : QStringDecoder("windows-1252");
        if (!decoder.isValid()) {
            setError(error, QStringLiteral("No decoder for Windows-1252"));
            bookText->clear();
            return false;
        }
        qsizetype carried = 0; // bytes of a UTF-8 sequence cut at the end of the last chunk
        bool restartAsWindows1252 = false;
        for (;;) {
            const qint64 got = file.read(buffer.data() + carried, kChunkBytes);
            if (got < 0) {
                setError(error, file.errorString());
                builder.keepPartial();
                return false;
            }
            const qsizetype available = carried + qsizetype(got);
            if (got == 0) {
                if (carried > 0 && utf8)
                    restartAsWindows1252 = true; // the file ends inside a sequence
                break;
            }
            qsizetype usable = available;
            if (utf8) {
                usable = completeUtf8Prefix(buffer.constData(), available);
                if (!isValidUtf8(buffer.constData(), usable)) {
                    restartAsWindows1252 = true;
                    break;
                }
            }
            const QByteArrayView bytes(buffer.constData(), usable);
            const qsizetype room = decoder.requiredSpace(bytes.size());
            if (decoded.size() < room)
                decoded.resize(room);
            QChar* end = decoder.appendToBuffer(decoded.data(), bytes);
            builder.feed(QStringView(decoded.constData(), end - decoded.constData()));
            carried = available - usable;
            if (carried > 0)
                std::memmove(buffer.data(), buffer.constData() + usable, size_t(carried));
        }
        if (!restartAsWindows1252)
            break;
        // Not UTF-8 after all: read the whole file again as Windows-1252.
        utf8 = false;
        if (!file.seek(0)) {
            setError(error, file.errorString());
            bookText->clear();
            return false;
        }
    }
    builder.finish();
    return true;
}

} // namespace orasent
