#include "export/ExportText.h"

#include "common/Numbers.h"
#include "documents/DocumentLoader.h"
#include "documents/SentenceRule.h"
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
    if (!(from >= 1))
        from = 1;
    if (from > double(text.size()))
        return sentences;
    std::int64_t position = nearestInt(from);
    while (const std::int64_t end = sentenceEndIn(text, double(position))) {
        sentences.append(SentenceSpan{qsizetype(position - 1), qsizetype(end - position + 1)});
        position = end + 1;
    }
    return sentences;
}

PreparedSentence prepareForSpeaking(const QString& sentence, const QString& replacementList,
                                    const SpeakingRules* rules) {
    PreparedSentence prepared;
    const QString upper = upperCaseByCharacter(sentence);
    QString replaced = applyReplacementList(upper, replacementList, {}, &prepared.edits);
    if (rules && (rules->user || rules->book)) {
        const QString cased = writtenCaseOf(replaced, sentence, prepared.edits);
        replaced = applyPronunciation(replaced, cased, rules->user.get(), rules->book.get(),
                                      rules->context, &prepared.edits);
    }
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
