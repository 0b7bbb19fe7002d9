#include "reader/DocumentLibrary.h"

#include "common/AtomicFile.h"
#include "common/Numbers.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orasent {

namespace {

const QByteArray kHeaderKey = "ORASENTLIBRARY=";
constexpr int kFormatVersion = 1;
const QByteArray kRecordStart = "[Document]";
const QByteArray kRecordEnd = "END";

// A thousand documents with full bookmark tables are a few megabytes.
constexpr qint64 kMostBytesRead = qint64(32) << 20;
constexpr qsizetype kLongestPath = 4096;
constexpr qsizetype kLongestText = 1000; // titles and voice names
// Positions beyond this are not positions in any text a person reads.
constexpr double kHighestPosition = 1e15;
// Characters of the text at the place that its hash covers.
constexpr qsizetype kPlaceLength = 80;

QByteArray hashHex(QByteArrayView bytes, int keptBytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).left(keptBytes).toHex();
}

bool isHex(const QByteArray& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The shortest form that reads back as the same double.
QByteArray number(double value) {
    char digits[32];
    const auto written = std::to_chars(digits, digits + sizeof digits, value);
    return QByteArray(digits, written.ptr - digits);
}

// A number that fills `text` exactly (blanks around it allowed).
template <class T> bool readNumber(QByteArrayView text, T* value) {
    text = text.trimmed();
    const char* end = text.data() + text.size();
    const auto read = std::from_chars(text.data(), end, *value);
    return read.ec == std::errc() && read.ptr == end;
}

// A position as written: finite, not negative, not absurdly large.
bool readPosition(QByteArrayView text, double* value) {
    double v = 0;
    if (!readNumber(text, &v) || !std::isfinite(v) || v < 0 || v > kHighestPosition)
        return false;
    *value = v;
    return true;
}

bool readWhole(QByteArrayView text, int lowest, int highest, int* value) {
    int v = 0;
    if (!readNumber(text, &v) || v < lowest || v > highest)
        return false;
    *value = v;
    return true;
}

// "slot:position" pairs separated by blanks; only used slots are written.
bool readBookmarks(QByteArrayView text, std::array<double, 101>* marks) {
    qsizetype at = 0;
    while (at < text.size()) {
        qsizetype end = text.indexOf(' ', at);
        if (end < 0)
            end = text.size();
        const QByteArrayView pair = text.sliced(at, end - at);
        at = end + 1;
        if (pair.isEmpty())
            continue;
        const qsizetype colon = pair.indexOf(':');
        int slot = 0;
        double position = 0;
        if (colon < 0 || !readWhole(pair.first(colon), 1, 100, &slot) ||
            !readPosition(pair.sliced(colon + 1), &position))
            return false;
        (*marks)[slot] = position;
    }
    return true;
}

QByteArray formatBookmarks(const std::array<double, 101>& marks) {
    QByteArray text;
    text.reserve(101 * 24);
    char pair[48];
    for (int slot = 1; slot <= 100; ++slot) {
        if (marks[slot] == 0)
            continue;
        char* end = std::to_chars(pair, pair + 4, slot).ptr;
        *end++ = ':';
        end = std::to_chars(end, pair + sizeof pair - 1, marks[slot]).ptr;
        if (!text.isEmpty())
            text += ' ';
        text.append(pair, end - pair);
    }
    return text;
}

// 2026-12-07T03:20:00Z
QByteArray isoUtc(const QDateTime& time) {
    const QDateTime utc = time.toUTC();
    const QDate d = utc.date();
    const QTime t = utc.time();
    char text[40];
    const int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year(),
                                     d.month(), d.day(), t.hour(), t.minute(), t.second());
    return QByteArray(text, length);
}

// One value line is a single line of text: line breaks in titles become blanks.
QByteArray oneLine(const QString& text) {
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line.toUtf8();
}

bool readText(const QByteArray& value, qsizetype longest, QString* text) {
    const QString decoded = QString::fromUtf8(value);
    if (decoded.size() > longest)
        return false;
    *text = decoded;
    return true;
}

// Takes one KEY=value line into `entry`; false when the value is not a valid one.
bool readField(const QByteArray& key, const QByteArray& value, LibraryEntry* entry, bool* unknown) {
    if (key == "KEY") {
        const QByteArray k = value.trimmed();
        if (k.size() < 16 || k.size() > 128 || !isHex(k))
            return false;
        entry->key = k;
        return true;
    }
    if (key == "PATH")
        return readText(value, kLongestPath, &entry->path);
    if (key == "TITLE")
        return readText(value, kLongestText, &entry->title);
    if (key == "VOICE")
        return readText(value, kLongestText, &entry->voice);
    if (key == "LASTREAD") {
        const QDateTime read =
            QDateTime::fromString(QString::fromLatin1(value.trimmed()), Qt::ISODate).toUTC();
        // Dates the written form can hold.
        if (!read.isValid() || read.date().year() < 1970 || read.date().year() > 9999)
            return false;
        entry->lastRead = read;
        return true;
    }
    if (key == "NEXTPOS")
        return readPosition(value, &entry->nextPos);
    if (key == "LASTPOS")
        return readPosition(value, &entry->lastPos);
    if (key == "BOOKMARKS")
        return readBookmarks(value, &entry->bookMarks);
    if (key == "BOOKNUM")
        return readWhole(value, 0, 100, &entry->bookNum);
    if (key == "PERCENT")
        return readWhole(value, 0, 100, &entry->percent);
    if (key == "PLACE") {
        const QByteArray hash = value.trimmed();
        if (hash.size() > 64 || !isHex(hash))
            return false;
        entry->placeHash = hash;
        return true;
    }
    *unknown = true;
    return false;
}

} // namespace

// --- The library in memory ----------------------------------------------------------------------

const LibraryEntry* DocumentLibrary::findByKey(const QByteArray& key) const {
    for (const LibraryEntry& entry : m_entries)
        if (entry.key == key)
            return &entry;
    return nullptr;
}

const LibraryEntry* DocumentLibrary::findByPath(const QString& path) const {
    for (const LibraryEntry& entry : m_entries)
        if (!path.isEmpty() && entry.path == path)
            return &entry;
    return nullptr;
}

void DocumentLibrary::remember(const LibraryEntry& entry) {
    m_entries.removeIf([&](const LibraryEntry& e) {
        return e.key == entry.key || (!entry.path.isEmpty() && e.path == entry.path);
    });
    m_entries.prepend(entry);
    if (m_entries.size() > kMostDocuments)
        m_entries.resize(kMostDocuments);
}

bool DocumentLibrary::remove(const QByteArray& key) {
    return m_entries.removeIf([&](const LibraryEntry& e) { return e.key == key; }) > 0;
}

void DocumentLibrary::appendOlder(const LibraryEntry& entry) {
    if (m_entries.size() < kMostDocuments && !findByKey(entry.key))
        m_entries.append(entry);
}

// --- Keys
// -----------------------------------------------------------------------------------------

QByteArray placeHash(QStringView bookText, double position) {
    const std::int64_t start = std::max<std::int64_t>(1, nearestInt(position));
    if (start > bookText.size())
        return QByteArray();
    const QStringView place = bookText.mid(qsizetype(start - 1), kPlaceLength);
    return hashHex(QByteArrayView(reinterpret_cast<const char*>(place.data()),
                                  place.size() * qsizetype(sizeof(QChar))),
                   8);
}

int percentInto(double position, qsizetype textLength) {
    if (textLength <= 0 || !(position > 1))
        return 0;
    const double share = (position - 1) / double(textLength) * 100;
    return int(std::clamp(std::floor(share), 0.0, 100.0));
}

// --- The file
// -------------------------------------------------------------------------------------

LibraryParse parseLibrary(const QByteArray& bytes) {
    LibraryParse result;
    const QList<QByteArray> lines = bytes.split('\n');
    bool headerSeen = false;
    bool inRecord = false;
    LibraryEntry entry;
    for (QByteArray line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        if (!headerSeen && line.startsWith(kHeaderKey)) {
            headerSeen = true;
            int version = 0;
            result.newer = !readWhole(line.mid(kHeaderKey.size()), 0, kFormatVersion, &version);
            continue;
        }
        if (line == kRecordStart) {
            result.damaged |= inRecord; // the record before it never ended
            inRecord = true;
            entry = LibraryEntry();
            continue;
        }
        if (inRecord && line == kRecordEnd) {
            inRecord = false;
            if (entry.key.isEmpty())
                result.damaged = true;
            else
                result.library.appendOlder(entry);
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        bool unknown = false;
        const bool read = inRecord && equals > 0 &&
                          readField(line.left(equals), line.mid(equals + 1), &entry, &unknown);
        // A newer version may add fields of its own; anything else unreadable is damage.
        if (!read && !(unknown && result.newer))
            result.damaged = true;
    }
    result.damaged |= inRecord || (!headerSeen && !bytes.isEmpty());
    return result;
}

QByteArray formatLibrary(const DocumentLibrary& library) {
    QByteArray out;
    out.reserve(64 + library.entries().size() * 2048);
    const auto line = [&out](const char* key, QByteArrayView value) {
        out.append(key).append('=').append(value).append("\r\n");
    };
    line(kHeaderKey.chopped(1).constData(), QByteArray::number(kFormatVersion));
    for (const LibraryEntry& e : library.entries()) {
        out.append("\r\n").append(kRecordStart).append("\r\n");
        line("KEY", e.key);
        line("PATH", oneLine(e.path));
        line("TITLE", oneLine(e.title));
        if (e.lastRead.isValid())
            line("LASTREAD", isoUtc(e.lastRead));
        line("NEXTPOS", number(e.nextPos));
        line("LASTPOS", number(e.lastPos));
        line("BOOKMARKS", formatBookmarks(e.bookMarks));
        line("BOOKNUM", QByteArray::number(e.bookNum));
        line("PERCENT", QByteArray::number(e.percent));
        line("VOICE", oneLine(e.voice));
        line("PLACE", e.placeHash);
        out.append(kRecordEnd).append("\r\n");
    }
    return out;
}

QString LibraryStore::load(const QString& path) {
    m_path = path;
    m_library = DocumentLibrary();
    QFile file(path);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly)) {
        // Kept unloaded: writing over a file that could not be read would lose it.
        m_path.clear();
        return QStringLiteral("The places of your documents could not be read from \"%1\" (%2). "
                              "Places are not saved this time.")
            .arg(QFileInfo(path).fileName(), file.errorString());
    }
    const QByteArray bytes = file.read(kMostBytesRead);
    LibraryParse parse = parseLibrary(bytes);
    m_library = std::move(parse.library);
    if (!parse.damaged && !parse.newer && file.atEnd())
        return QString();
    // Keep the file as it was before anything is written over it.
    QString error;
    const QString copy = copyName(path);
    if (!writeFileAtomically(copy, bytes, &error)) {
        m_path.clear();
        return QStringLiteral("The places of your documents in \"%1\" could not be read whole, "
                              "and no copy of it could be kept (%2). Places are not saved this "
                              "time.")
            .arg(QFileInfo(path).fileName(), error);
    }
    const QString what = parse.newer ? QStringLiteral("was written by a newer version of Orasent")
                                     : QStringLiteral("is damaged");
    return QStringLiteral("The list of your documents' places \"%1\" %2. The places that could be "
                          "read are kept, and the file as it was is saved as \"%3\".")
        .arg(QFileInfo(path).fileName(), what, QFileInfo(copy).fileName());
}

bool LibraryStore::save(QString* error) {
    if (m_path.isEmpty())
        return true;
    return writeFileAtomically(m_path, formatLibrary(m_library), error);
}

} // namespace orasent
