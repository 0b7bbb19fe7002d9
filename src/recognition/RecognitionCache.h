#pragma once
// Recognised text kept in the user's cache folder, so a file opened again reads the same text
// without recognising it again. Keyed by the content's SHA-256 and the language; each entry is
// one file written whole. Bounded: at most kMaxEntries entries and kMaxBytes in all, the least
// recently used removed first. A cache folder that cannot be written only costs the speed.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace orasent {

class RecognitionCache {
public:
    static constexpr int kMaxEntries = 1000;
    static constexpr qint64 kMaxBytes = 50LL * 1024 * 1024;

    // The folder in use: the user's cache folder's "recognition", or the one set for tests.
    static QString folder();
    static void setFolderForTesting(const QString& folder); // empty: back to the user's

    // The key of a content (its bytes, or a page's pixels) read in `language`.
    static QByteArray key(const QByteArray& content, const QString& language,
                          const QString& kind = QStringLiteral("file"));

    // The paragraphs stored under `key` (an empty list is a page without text).
    static std::optional<QStringList> find(const QByteArray& key);
    // False when the entry could not be written (the reading goes on without it).
    static bool store(const QByteArray& key, const QStringList& paragraphs);
};

} // namespace orasent
