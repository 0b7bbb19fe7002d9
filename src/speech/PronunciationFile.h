#pragma once
// The rules file "Pronunciations.pls" in the working folder: a PLS lexicon with Orasent's own
// attributes, written whole through the atomic writer, so a failed save (a folder that is not
// writable, a full disk) leaves the old file as it was.
#include "speech/PronunciationRules.h"

#include <QString>
#include <QVector>

namespace orasent {

inline constexpr const char* kPronunciationFileName = "Pronunciations.pls";

struct PronunciationSettings {
    QVector<PronunciationRule> rules;
    bool bookLexicons = true; // the lexicons that books carry apply while they are read
};

struct PronunciationLoad {
    PronunciationSettings settings;
    QString problem; // the file exists but could not be read: nothing of it was taken
};

// A missing file gives no rules and no problem.
PronunciationLoad
loadPronunciationFile(const QString& path = QLatin1String(kPronunciationFileName));

// False with `error` set (a sentence for the user) when the file could not be replaced.
bool savePronunciationFile(const PronunciationSettings& settings, QString* error,
                           const QString& path = QLatin1String(kPronunciationFileName));

} // namespace orasent
