#pragma once
// Writes zip archives in memory with libzip, for document tests and fuzz targets.
#include <QByteArray>
#include <QList>
#include <QPair>

#include <algorithm>

#include <zip.h>

namespace orasent::test {

using ZipEntries = QList<QPair<QByteArray, QByteArray>>; // name, content

// Entries in the given order, deflated; an empty result when libzip fails.
inline QByteArray buildZip(const ZipEntries& entries) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = buffer ? zip_open_from_source(buffer, ZIP_TRUNCATE, &error) : nullptr;
    zip_error_fini(&error);
    if (!zip) {
        zip_source_free(buffer);
        return {};
    }
    zip_source_keep(buffer);
    for (const auto& [name, content] : entries) {
        zip_source_t* data = zip_source_buffer(zip, content.constData(), content.size(), 0);
        if (zip_file_add(zip, name.constData(), data, ZIP_FL_ENC_UTF_8) < 0)
            zip_source_free(data);
    }
    QByteArray bytes;
    zip_stat_t stat;
    if (zip_close(zip) != 0) {
        zip_discard(zip);
    } else if (zip_source_stat(buffer, &stat) == 0 && zip_source_open(buffer) == 0) {
        bytes.resize(qsizetype(stat.size));
        bytes.resize(
            qsizetype(std::max<zip_int64_t>(0, zip_source_read(buffer, bytes.data(), stat.size))));
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return bytes;
}

// Sets the unpacked size that the central directory declares for `name`.
inline void declareUnpackedSize(QByteArray* zipBytes, const QByteArray& name, quint32 size) {
    qsizetype at = zipBytes->indexOf("PK\x01\x02");
    while (at >= 0 && at + 46 <= zipBytes->size()) {
        const auto u16 = [&](qsizetype i) {
            return quint8(zipBytes->at(i)) | quint8(zipBytes->at(i + 1)) << 8;
        };
        if (zipBytes->mid(at + 46, u16(at + 28)) == name) {
            for (int i = 0; i < 4; ++i)
                (*zipBytes)[at + 24 + i] = char((size >> (8 * i)) & 0xFF);
            return;
        }
        at = zipBytes->indexOf("PK\x01\x02", at + 4);
    }
}

} // namespace orasent::test
