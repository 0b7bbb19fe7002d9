// The word list file reader and the list editor's transforms on arbitrary bytes.
#include "FuzzInput.h"
#include "common/TextCodec.h"
#include "speech/WordListFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeTemporaryFile(data, size);
    const QString list = orasent::loadReplacementList(path);
    const QString editText = orasent::listToEditText(list);
    (void)orasent::editTextToList(editText);
    const QString raw =
        orasent::decodeText(QByteArray(reinterpret_cast<const char*>(data), int(size)));
    (void)orasent::sortEditText(raw);
    if (orasent::lastWordToTest(raw).size() > 255)
        __builtin_trap();
    return 0;
}
