#pragma once
// The reader's check items in the Tools menu that change what is read and by which voice. Kept in
// a settings file of its own, "ReadingOptions.ini": one KEY=value per line, written whole;
// anything missing or unreadable keeps its default.
#include <QByteArray>
#include <QString>

namespace orasent {

struct ReadingOptions {
    bool readInDocumentLanguage = true; // each passage by a voice of its language
    bool readNotes = true;              // notes at the end of their chapter
    bool screenReaderSpeaks = false;    // sentences go to the screen reader, not to the voice
    bool showSyllables = false;         // the sentence box shows longer words in syllables
};

inline const QString kReadingOptionsFileName = QStringLiteral("ReadingOptions.ini");

ReadingOptions parseReadingOptions(const QByteArray& bytes);
QByteArray formatReadingOptions(const ReadingOptions& options);
// Never fails: a missing or unreadable file gives the defaults.
ReadingOptions readReadingOptionsFile(const QString& path);
// Replaces the file whole; on failure the old file stays and *error says why.
bool writeReadingOptionsFile(const QString& path, const ReadingOptions& options, QString* error);

} // namespace orasent
