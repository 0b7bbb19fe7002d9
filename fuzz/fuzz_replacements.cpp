// The word replacement step on an arbitrary list and text (split at the first NUL byte).
#include "FuzzInput.h"
#include "speech/Replacements.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const int split = input.indexOf('\0');
    const QString list = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QString text = QString::fromUtf8(split < 0 ? QByteArray() : input.mid(split + 1));
    int eventsRun = 0;
    (void)orasent::applyReplacementList(text, list, [&] { ++eventsRun; });
    if (eventsRun > 10000) // the step budget bounds every application
        __builtin_trap();
    return 0;
}
