#pragma once
// Helpers shared by the fuzz targets: the input as a temporary file, and a numeric prefix.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstring>
#include <unistd.h>

namespace fuzz {

inline QString writeTemporaryFile(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/orasent-fuzz-%1.txt").arg(::getpid());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

// Takes a double from the front of the input (raw bytes, so NaN, infinities and huge values
// appear too).
inline double takeDouble(const uint8_t*& data, size_t& size) {
    double value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

inline uint8_t takeByte(const uint8_t*& data, size_t& size) {
    if (size == 0)
        return 0;
    const uint8_t b = *data++;
    --size;
    return b;
}

} // namespace fuzz
