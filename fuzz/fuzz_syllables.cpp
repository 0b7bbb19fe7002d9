// Syllables of a document's text on arbitrary input: the first line is read as a lexicon entry
// and laid onto the second line as a word; the whole input, as a sentence, is dotted and its
// words are walked. Cuts fall inside the word in order, the dotted sentence less its dots is the
// sentence, and every word span lies inside the text.
#include "words/PronouncingLexicon.h"
#include "words/SpellingAlignment.h"
#include "words/Syllables.h"
#include "words/WordSpans.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orasent;
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> lines = bytes.split('\n');
    const auto phones = PronouncingLexicon::parseEntry(lines.value(0));
    const QString word = QString::fromUtf8(lines.value(1)).left(60).toLower();
    int last = 0;
    for (int cut : syllableCuts(word, phones)) {
        if (cut <= last || cut >= word.size())
            __builtin_trap();
        last = cut;
    }
    static Syllables syllables; // the installed lexicon and patterns, opened once
    const QString text = QString::fromUtf8(bytes);
    const DottedText dotted = dottedText(text, syllables, QStringLiteral("en"));
    QString written = dotted.shown;
    for (int k = int(dotted.dotsBefore.size()) - 1; k >= 0; --k)
        written.remove(dotted.shownPosition(dotted.dotsBefore.at(k)), 1);
    if (written != text)
        __builtin_trap();
    int steps = 0;
    for (auto span = nextWord(text, -1, true); span && steps < 10000;
         span = nextWord(text, span->first, true), ++steps) {
        if (span->first < 0 || span->second <= 0 || span->first + span->second > text.size())
            __builtin_trap();
    }
    return 0;
}
