// The document library file on arbitrary bytes: what it read is written and read back the same.
#include "reader/DocumentLibrary.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orasent;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const LibraryParse parse = parseLibrary(bytes);
    if (parse.library.entries().size() > DocumentLibrary::kMostDocuments)
        __builtin_trap();
    const QByteArray written = formatLibrary(parse.library);
    const LibraryParse again = parseLibrary(written);
    if (again.damaged || again.newer || formatLibrary(again.library) != written)
        __builtin_trap();
    return 0;
}
