#include "documents/ZipArchive.h"

#include <QStringList>
#include <QUrl>

#include <zip.h>

namespace orasent {

ZipArchive::ZipArchive(const QByteArray& data) : m_data(data) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(m_data.constData(), zip_uint64_t(m_data.size()), 0, &error);
    if (source) {
        m_zip = zip_open_from_source(source, ZIP_RDONLY, &error);
        if (!m_zip)
            zip_source_free(source);
    }
    zip_error_fini(&error);
}

ZipArchive::~ZipArchive() {
    if (m_zip)
        zip_discard(m_zip);
}

bool ZipArchive::contains(const QString& name) const {
    return m_zip && zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

Extraction::Status ZipArchive::read(const QString& name, QByteArray* out) {
    using Status = Extraction::Status;
    out->clear();
    if (!m_zip)
        return Status::Corrupt;
    const zip_int64_t index = zip_name_locate(m_zip, name.toUtf8().constData(), 0);
    if (index < 0)
        return Status::PartsMissing;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return Status::Corrupt;
    if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
        return Status::Locked;
    const auto size = std::int64_t(stat.size);
    if (size > limits::kMaxEntryBytes || m_unpackedTotal + size > limits::kMaxArchiveUnpackedBytes)
        return Status::TooLarge;
    if ((stat.valid & ZIP_STAT_COMP_SIZE) && size > limits::kRatioCheckFromBytes &&
        std::int64_t(stat.comp_size) * limits::kMaxPackingRatio < size)
        return Status::ZipBomb;
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file)
        return Status::Corrupt;
    // One byte more than declared: an entry that unpacks past its declared size is damaged.
    out->resize(qsizetype(size) + 1);
    qsizetype got = 0;
    Status status = Status::Ok;
    while (got < out->size()) {
        const zip_int64_t n = zip_fread(file, out->data() + got, zip_uint64_t(out->size() - got));
        if (n < 0) {
            status = Status::Corrupt;
            break;
        }
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    zip_fclose(file);
    if (status == Status::Ok && got != size)
        status = Status::Corrupt;
    if (status != Status::Ok) {
        out->clear();
        return status;
    }
    out->resize(got);
    m_unpackedTotal += size;
    return Status::Ok;
}

QString resolveArchivePath(const QString& base, const QString& href) {
    QString path = href;
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0)
        path.truncate(hash);
    path = QUrl::fromPercentEncoding(path.toUtf8());
    if (path.isEmpty() || path.contains(QLatin1Char(':')))
        return {};
    QStringList parts;
    if (!path.startsWith(QLatin1Char('/'))) {
        parts = base.split(QLatin1Char('/'));
        parts.removeLast(); // the entry's own name
    }
    for (const QString& part : path.split(QLatin1Char('/'))) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (parts.isEmpty())
                return {}; // would leave the archive
            parts.removeLast();
        } else {
            parts.append(part);
        }
    }
    parts.removeAll(QString());
    return parts.join(QLatin1Char('/'));
}

} // namespace orasent
