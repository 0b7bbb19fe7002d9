// The voices-for-languages file reader on arbitrary bytes: what it read is written and read back
// unchanged, and every key it keeps is a language key.
#include "speech/LanguageVoices.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orasent;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QMap<QString, QString> choices = parseLanguageVoices(bytes);
    if (parseLanguageVoices(formatLanguageVoices(choices)) != choices)
        __builtin_trap();
    for (auto it = choices.cbegin(); it != choices.cend(); ++it)
        if (languageKey(it.key()) != it.key() || it.value().isEmpty())
            __builtin_trap();
    return 0;
}
