// The speech settings reader on arbitrary text.
#include "FuzzInput.h"
#include "common/TextCodec.h"
#include "common/TextLines.h"
#include "speech/SpeechSettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        orasent::decodeText(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    const auto actions = orasent::parseSpeechSettings(orasent::splitLines(text));
    for (const auto& action : actions) {
        if (action.value != action.value) // NaN must never come out
            __builtin_trap();
    }
    return 0;
}
