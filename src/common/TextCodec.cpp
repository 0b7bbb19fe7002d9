#include "common/TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstdint>
#include <cstring>

namespace orasent {

bool isValidUtf8(const char* data, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        // Fast path: eight ASCII bytes at a time.
        if (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int extra;
        std::uint32_t min;
        std::uint32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        p += extra + 1;
    }
    return true;
}

TextEncoding detectEncoding(const QByteArray& bytes) {
    return isValidUtf8(bytes.constData(), bytes.size()) ? TextEncoding::Utf8
                                                        : TextEncoding::Windows1252;
}

QString decodeText(const QByteArray& bytes) {
    if (detectEncoding(bytes) == TextEncoding::Utf8) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(bytes);
        if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
        return text;
    }
    QStringDecoder cp1252("windows-1252");
    return cp1252.decode(bytes);
}

TextEncoding encodingFor(const QString& text) {
    QStringEncoder cp1252("windows-1252");
    (void)cp1252.encode(text);
    return cp1252.hasError() ? TextEncoding::Utf8 : TextEncoding::Windows1252;
}

QByteArray encodeText(const QString& text) {
    QStringEncoder cp1252("windows-1252");
    QByteArray bytes = cp1252.encode(text);
    if (!cp1252.hasError())
        return bytes;
    return text.toUtf8();
}

} // namespace orasent
