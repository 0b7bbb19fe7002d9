// The word replacement step on an arbitrary list and text (split at the first NUL byte), with
// its record of where it replaced: every span of the result maps back inside the original.
#include "FuzzInput.h"
#include "speech/Replacements.h"
#include "speech/TextEdits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), int(size));
    const int split = input.indexOf('\0');
    const QString list = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QString text = QString::fromUtf8(split < 0 ? QByteArray() : input.mid(split + 1));
    int eventsRun = 0;
    orasent::TextEdits edits;
    const QString boxText = orasent::plainTextBoxForm(text, &edits);
    const QString result = orasent::applyReplacementList(
        boxText, list, [&] { ++eventsRun; }, &edits);
    if (eventsRun > 10000) // the step budget bounds every application
        __builtin_trap();
    // A word at every tenth position of the result, as the engine reports words.
    for (qsizetype start = 0; start < result.size();
         start += qMax<qsizetype>(1, result.size() / 10)) {
        const qsizetype length = qMin<qsizetype>(5, result.size() - start);
        const auto [from, count] = edits.originalSpan(start, length);
        if (from < 0 || count < 0 || from + count > text.size())
            __builtin_trap();
    }
    return 0;
}
