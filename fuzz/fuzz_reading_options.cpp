// The reading-options file reader on arbitrary bytes: what it read is written and read back
// unchanged.
#include "reader/ReadingOptions.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orasent;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ReadingOptions options = parseReadingOptions(bytes);
    const ReadingOptions again = parseReadingOptions(formatReadingOptions(options));
    if (again.readInDocumentLanguage != options.readInDocumentLanguage ||
        again.readNotes != options.readNotes ||
        again.screenReaderSpeaks != options.screenReaderSpeaks ||
        again.showSyllables != options.showSyllables)
        __builtin_trap();
    return 0;
}
