// Loading a text file into the reading text on arbitrary bytes.
#include "FuzzInput.h"
#include "documents/BookTextLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = fuzz::writeTemporaryFile(data, size);
    QString bookText;
    QString error;
    QVector<qsizetype> starts;
    if (!orasent::loadBookText(path, &bookText, &error, &starts))
        __builtin_trap(); // the file exists and is readable
    // Line ends survive only as the CR LF between paragraphs or before an answer line.
    for (qsizetype i = 0; i < bookText.size(); ++i) {
        const bool cr = bookText[i] == u'\r';
        const bool pairedLf = bookText[i] == u'\n' && i > 0 && bookText[i - 1] == u'\r';
        if ((cr && (i + 1 >= bookText.size() || bookText[i + 1] != u'\n')) ||
            (bookText[i] == u'\n' && !pairedLf))
            __builtin_trap();
    }
    // Paragraphs start in order inside the text, and the text closes its last sentence.
    for (qsizetype i = 0; i < starts.size(); ++i)
        if (starts[i] >= bookText.size() || (i > 0 && starts[i] <= starts[i - 1]))
            __builtin_trap();
    if (!starts.isEmpty() && !bookText.endsWith(QLatin1Char(' ')))
        __builtin_trap();
    return 0;
}
