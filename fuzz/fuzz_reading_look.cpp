// The reading-look file reader on arbitrary bytes: every value lands in its range, and what it
// read is written and read back unchanged.
#include "reader/ReadingLook.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orasent;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ReadingLook look = parseReadingLook(bytes);
    if (look.letterSpacing < 0 || look.letterSpacing > kMaxLetterSpacing || look.wordSpacing < 0 ||
        look.wordSpacing > kMaxWordSpacing ||
        !(look.lineSpacing >= kMinLineSpacing && look.lineSpacing <= kMaxLineSpacing) ||
        (look.lineWidth != 0 && (look.lineWidth < kMinLineWidth || look.lineWidth > kMaxLineWidth)))
        __builtin_trap();
    if (parseReadingLook(formatReadingLook(look)) != look)
        __builtin_trap();
    return 0;
}
