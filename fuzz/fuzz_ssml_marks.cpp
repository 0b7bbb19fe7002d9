// The SSML made for speech-dispatcher from arbitrary text: it must be well-formed XML with one
// mark per word, and every word a non-empty span inside the text, in order, not overlapping.
#include "engine/speechd/SsmlMarks.h"

#include <QXmlStreamReader>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool xml = data[0] & 1;
    // The rest as UTF-16 code units, so that lone surrogates and any character occur.
    QString text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text.append(QChar(char16_t(data[i] | (data[i + 1] << 8))));
    const orasent::MarkedText marked = orasent::markWords(text, xml);

    int end = 0;
    for (const orasent::MarkedText::Span& w : marked.words) {
        if (w.pos < end || w.length <= 0 || w.pos + w.length > text.size())
            __builtin_trap();
        end = w.pos + w.length;
    }
    QXmlStreamReader reader(marked.ssml);
    int marks = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            reader.name() == QLatin1String("mark")) {
            const QByteArray name = reader.attributes().value(QLatin1String("name")).toUtf8();
            if (marked.wordForMark(name.constData()) != &marked.words.at(marks))
                __builtin_trap();
            ++marks;
        }
    }
    if (reader.hasError() || marks != marked.words.size())
        __builtin_trap();
    return 0;
}
