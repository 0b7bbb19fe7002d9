#include "export/ExportText.h"

#include "common/Numbers.h"
#include "documents/DocumentLoader.h"
#include "speech/CharacterCase.h"
#include "speech/Replacements.h"

#include <QStringView>
#include <algorithm>

namespace orasent {

DocumentLoad exportInputText(const QString& path) {
    DocumentLoad load = loadDocument(path);
    if (load.status == DocumentLoad::Status::Failed && load.error.isEmpty())
        load.error = QStringLiteral("Error loading file");
    return load;
}

QVector<SentenceSpan> cutExportSentences(const QString& text, double from) {
    QVector<SentenceSpan> sentences;
    const qsizetype size = text.size();
    if (!(from >= 1))
        from = 1;
    if (from > double(size))
        return sentences;
    qsizetype start = qsizetype(nearestInt(from)) - 1;
    while (start < size) {
        // The reader looks for ". " from the character after the sentence's first one.
        const qsizetype period = QStringView(text).indexOf(u". ", start + 1);
        if (period < 0 && QStringView(text).mid(start).trimmed().isEmpty())
            break; // blanks after the last sentence end are no sentence
        const qsizetype end = period < 0 ? size : period + 1;
        sentences.append(SentenceSpan{start, end - start});
        start = end;
    }
    return sentences;
}

PreparedSentence prepareForSpeaking(const QString& sentence, const QString& replacementList) {
    PreparedSentence prepared;
    const QString upper = upperCaseByCharacter(sentence);
    const QString replaced = applyReplacementList(upper, replacementList, {}, &prepared.edits);
    prepared.spoken = plainTextBoxForm(replaced, &prepared.edits);
    return prepared;
}

QString captionText(const QString& sentence, QVector<qsizetype>* offsets) {
    QString out;
    out.reserve(sentence.size());
    qsizetype next = 0; // the next offset to map
    const qsizetype n = sentence.size();
    for (qsizetype i = 0; i < n;) {
        if (!sentence[i].isSpace()) {
            while (offsets && next < offsets->size() && (*offsets)[next] <= i)
                (*offsets)[next++] = out.size();
            out.append(sentence[i++]);
            continue;
        }
        qsizetype j = i;
        bool lineBreak = false;
        for (; j < n && sentence[j].isSpace(); ++j)
            lineBreak = lineBreak || sentence[j] == u'\n' || sentence[j] == u'\r' ||
                        sentence[j] == QChar::LineSeparator ||
                        sentence[j] == QChar::ParagraphSeparator;
        if (!out.isEmpty() && j < n)
            out.append(lineBreak ? QStringView(u"\n") : QStringView(sentence).mid(i, j - i));
        i = j;
    }
    if (offsets)
        while (next < offsets->size())
            (*offsets)[next++] = out.size();
    return out;
}

} // namespace orasent
