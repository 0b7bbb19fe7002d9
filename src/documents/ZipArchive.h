#pragma once
// A zip archive read in memory (never extracted to disk), with the unpacking limits of
// Extraction.h.
#include "documents/Extraction.h"

#include <QByteArray>
#include <QString>

typedef struct zip zip_t;

namespace orasent {

class ZipArchive {
public:
    // `data` is not copied: it must outlive the archive.
    explicit ZipArchive(const QByteArray& data);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    bool isOpen() const { return m_zip != nullptr; }
    // Exact entry names; a name is never used as a file path.
    bool contains(const QString& name) const;

    // Unpacks one entry whole. Ok, Corrupt, Locked, TooLarge, ZipBomb, or PartsMissing when the
    // archive has no such entry.
    Extraction::Status read(const QString& name, QByteArray* out);

private:
    QByteArray m_data;
    zip_t* m_zip = nullptr;
    std::int64_t m_unpackedTotal = 0;
};

// Resolves `href` (a URL path, percent-encoded, maybe with a fragment) against the folder of the
// entry `base`. Empty when it leaves the archive's root ("../" past the top), is absolute
// with a scheme, or is empty.
QString resolveArchivePath(const QString& base, const QString& href);

} // namespace orasent
