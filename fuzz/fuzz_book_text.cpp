// Loading a text file into the reading text on arbitrary bytes.
#include "FuzzInput.h"
#include "documents/BookTextLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeTemporaryFile(data, size);
    QString bookText;
    QString error;
    if (!orasent::loadBookText(path, &bookText, &error))
        __builtin_trap(); // the file exists and is readable
    // Line ends never survive except the CR LF put before an answer line; lone LFs stay.
    for (qsizetype i = 0; i < bookText.size(); ++i)
        if (bookText[i] == u'\r' && (i + 1 >= bookText.size() || bookText[i + 1] != u'\n'))
            __builtin_trap();
    return 0;
}
