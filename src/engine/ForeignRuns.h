#pragma once
// Runs of a script that the English voices of Flite and Festival cannot read (Arabic, Cyrillic,
// Han ...) in the text of one Speak() call, each with the language whose espeak-ng voice reads
// that script.
#include <QString>
#include <QVector>

namespace orasent {

struct ForeignRun {
    int begin = 0; // UTF-16 offsets into the text
    int end = 0;
    QString language; // espeak-ng's tag, e.g. "ar", "ru", "cmn"
};

// Letters of one such script with the blanks, digits and punctuation between them; a Latin letter
// or a markup tag ends a run. Scripts without a language here are not listed (they stay silent).
QVector<ForeignRun> foreignRuns(const QString& text, bool xml);
// The language for a script, or "".
QString languageOfScript(QChar::Script script);

} // namespace orasent
