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

// Appends decoded text to the book, line by line: line ends (CR LF or a lone CR) are dropped,
// lines are joined with nothing between them, and a line holding the answer marker is preceded
// by CR LF. Writes straight into the book's storage, which was sized from the file up front.
class BookTextBuilder {
public:
    explicit BookTextBuilder(QString* book) : m_book(book) {}

    void reset() {
        m_used = 0;
        m_lineStart = 0;
        m_lineHasAnswer = false;
        m_skipLeadingLineFeed = false;
    }

    void reserve(qsizetype chars) {
        if (m_book->size() < chars)
            resizeBook(chars);
    }

    void feed(QStringView chunk) {
        const qsizetype n = chunk.size();
        if (n == 0)
            return;
        qsizetype i = 0;
        if (m_skipLeadingLineFeed) {
            // The CR that ended the last chunk is followed by this LF: one CR LF.
            m_skipLeadingLineFeed = false;
            if (chunk[0] == u'\n')
                i = 1;
        }
        // Markers never contain CR, so each lies within one segment; find them once per chunk.
        qsizetype marker = chunk.indexOf(kAnswerMarker, i);
        bool firstSegment = true;
        while (i < n) {
            qsizetype cr = chunk.indexOf(u'\r', i);
            const qsizetype end = cr < 0 ? n : cr;
            if (marker >= 0 && marker < i)
                marker = chunk.indexOf(kAnswerMarker, i);
            if (marker >= i && marker < end)
                m_lineHasAnswer = true;
            append(chunk.constData() + i, end - i, firstSegment);
            firstSegment = false;
            if (cr < 0)
                break;
            endLine();
            i = cr + 1;
            if (i < n) {
                if (chunk[i] == u'\n')
                    ++i;
            } else {
                m_skipLeadingLineFeed = true;
            }
        }
    }

    // The last line counts even without a line end.
    void finish() {
        endLine();
        m_book->resize(m_used);
    }

    // What was built so far, for a read that failed part-way.
    void keepPartial() {
        if (m_lineHasAnswer)
            endLine();
        m_book->resize(m_used);
    }

private:
    void ensureRoom(qsizetype extra) {
        const qsizetype needed = m_used + extra;
        if (needed > m_book->size())
            resizeBook(std::max(needed, m_book->size() + m_book->size() / 2 + 16));
    }

    void resizeBook(qsizetype chars) {
        m_book->resize(chars);
        adviseHugePages(m_book->data(), m_book->size());
    }

    void append(const QChar* data, qsizetype count, bool mayContinueMarker) {
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

    void endLine() {
        if (m_lineHasAnswer) {
            ensureRoom(2);
            QChar* data = m_book->data();
            std::memmove(data + m_lineStart + 2, data + m_lineStart,
                         size_t(m_used - m_lineStart) * sizeof(QChar));
            data[m_lineStart] = u'\r';
            data[m_lineStart + 1] = u'\n';
            m_used += 2;
        }
        m_lineStart = m_used;
        m_lineHasAnswer = false;
    }

    QString* m_book;
    qsizetype m_used = 0;
    qsizetype m_lineStart = 0;
    bool m_lineHasAnswer = false;
    bool m_skipLeadingLineFeed = false;
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

} // namespace

bool loadBookText(const QString& path, QString* bookText, QString* error) {
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
    BookTextBuilder builder(bookText);
    builder.reserve(wanted);

    QByteArray buffer(kChunkBytes + 4, Qt::Uninitialized);
    QString decoded;
    bool utf8 = true;
    for (;;) {
        builder.reset();
        QStringDecoder decoder =
            utf8 ? QStringDecoder(QStringDecoder::Utf8) : QStringDecoder("windows-1252");
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
