#pragma once
// The places of the documents read: for each one, where the reader stopped, its bookmarks, its
// title, when it was last read, how far into it the reader got and the voice chosen for it.
// Documents are known by a hash of their text, so a moved or renamed file keeps its place.
// Kept in "Library.ini" in the working folder, newest first, at most 1,000 documents.
#include "documents/LoadedDocument.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QVector>
#include <array>

namespace orasent {

struct LibraryEntry {
    QByteArray key;     // contentKey() of the document's BookText
    QString path;       // absolute path it was last opened from
    QString title;      // the document's own title, else its file name
    QDateTime lastRead; // UTC
    double nextPos = 0;
    double lastPos = 0;
    std::array<double, 101> bookMarks{}; // slots 1..100, 0 = free
    int bookNum = 0;
    int percent = 0;      // how far into the text LastPos lies, 0..100
    QString voice;        // the voice chosen while reading it; empty: none
    QByteArray placeHash; // placeHash() of the text at LastPos
};

class DocumentLibrary {
public:
    static constexpr int kMostDocuments = 1000;

    const QVector<LibraryEntry>& entries() const { return m_entries; } // newest first
    const LibraryEntry* findByKey(const QByteArray& key) const;
    const LibraryEntry* findByPath(const QString& path) const;
    // Puts `entry` first, replacing any entry with its key or its path (a path names one
    // document); past the limit the least recently read goes.
    void remember(const LibraryEntry& entry);
    bool remove(const QByteArray& key);
    // Appends in file order (newest first); entries whose key is already there are skipped.
    void appendOlder(const LibraryEntry& entry);

private:
    QVector<LibraryEntry> m_entries;
};

// The document's key: a hash of its whole text, as hex digits.
// A short hash of the text that starts at 1-based `position`, to tell whether an edited file
// still holds the same words at the place.
QByteArray placeHash(QStringView bookText, double position);
// Whole percent of the text that lies before 1-based `position`.
int percentInto(double position, qsizetype textLength);

struct LibraryParse {
    DocumentLibrary library;
    bool damaged = false; // lines or documents that could not be read were left out
    bool newer = false;   // written by a newer version: what it adds is not kept
};
// Never fails: whatever can be read is kept.
LibraryParse parseLibrary(const QByteArray& bytes);
QByteArray formatLibrary(const DocumentLibrary& library);

// The library as a file: read once, written whole after each change.
class LibraryStore {
public:
    // Reads `path` (a missing file is an empty library). When the file was damaged or newer,
    // it is first copied beside itself, and a message for the user says so.
    QString load(const QString& path);
    // Writes the file whole; without a path (never loaded) only memory is kept. On failure the
    // old file stays and *error says why.
    bool save(QString* error);

    DocumentLibrary& library() { return m_library; }
    const DocumentLibrary& library() const { return m_library; }
    const QString& path() const { return m_path; }
    static QString copyName(const QString& path) { return path + QStringLiteral(".old"); }

private:
    QString m_path;
    DocumentLibrary m_library;
};

} // namespace orasent
