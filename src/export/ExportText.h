#pragma once
// The export's input: sentences cut as the reader cuts them, and each one prepared for the
// engine as the reader's Talk prepares it.
#include "documents/DocumentLoader.h"
#include "speech/PronunciationRules.h"
#include "speech/TextEdits.h"

#include <QString>
#include <QVector>

namespace orasent {

// The text of a file to export: text files as the reader loads them, documents as the document
// reader turns them into text.
DocumentLoad exportInputText(const QString& path);

struct SentenceSpan {
    qsizetype start = 0; // 0-based into the text
    qsizetype length = 0;
};

// The sentences from the 1-based position `from` (the reader's NextPos: rounded, below 1 taken
// as 1) to the end, cut as the reader cuts them; blanks after the last one are no sentence.
QVector<SentenceSpan> cutExportSentences(const QString& text, double from = 1);

struct PreparedSentence {
    QString spoken;  // what the engine is given
    TextEdits edits; // maps spans of `spoken` back to the sentence
};

// The pronunciation rules an export reads with: the user's, the book's own lexicons', and where.
struct SpeakingRules {
    std::shared_ptr<const PronunciationRules> user;
    std::shared_ptr<const PronunciationRules> book;
    SpeechContext context;
};

// Talk's steps: upper case one character at a time, the replacement list, the pronunciation
// rules (when given), the text box form.
PreparedSentence prepareForSpeaking(const QString& sentence, const QString& replacementList,
                                    const SpeakingRules* rules = nullptr);

// The sentence as a caption shows it: blanks at both ends dropped, every run of blanks holding a
// line break one line break. `offsets` (ascending offsets into the sentence) are mapped onto the
// result in place.
QString captionText(const QString& sentence, QVector<qsizetype>* offsets = nullptr);

} // namespace orasent
