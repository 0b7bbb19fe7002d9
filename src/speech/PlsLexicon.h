#pragma once
// W3C Pronunciation Lexicon (PLS 1.0) files: read into pronunciation rules and written from
// them. The rules file "Pronunciations.pls" is a PLS lexicon too; what PLS cannot say (patterns,
// skip, spell, match case, where a rule applies) rides in attributes of Orasent's own namespace,
// which other readers pass over.
//
// A lexicon with a DOCTYPE is refused whole: PLS needs no DTD, and refusing it keeps out external
// entities and entity bombs.
#include "speech/PronunciationRules.h"

#include <QByteArray>
#include <QString>
#include <QVector>

namespace orasent {

constexpr qsizetype kMostLexiconBytes = 64 * 1024 * 1024;

struct LexiconRead {
    QVector<PronunciationRule> rules;
    QString language;         // the lexicon's xml:lang
    bool bookLexicons = true; // the rules file's "apply the books' own lexicons"
    int skipped = 0;          // lexemes that say nothing this program can say
    QString error;            // not read at all: why
};

enum class LexiconKind {
    Shared,    // a lexicon from elsewhere: plain PLS, Orasent's attributes ignored
    RulesFile, // Orasent's own rules file
};

// Lexemes of a Shared lexicon become word rules, not matching case, applying everywhere; the
// caller may give them another scope.
LexiconRead readPlsLexicon(const QByteArray& bytes, LexiconKind kind);

struct LexiconWrite {
    QByteArray bytes;
    int leftOut = 0; // rules PLS cannot hold (patterns), kept as comments
};

// `language` is the lexicon's xml:lang ("" writes "und").
LexiconWrite writePlsLexicon(const QVector<PronunciationRule>& rules, const QString& language,
                             LexiconKind kind, bool bookLexicons = true);

} // namespace orasent
