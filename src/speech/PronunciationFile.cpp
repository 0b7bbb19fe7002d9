#include "speech/PronunciationFile.h"

#include "common/AtomicFile.h"
#include "speech/PlsLexicon.h"

#include <QFile>

namespace orasent {

PronunciationLoad loadPronunciationFile(const QString& path) {
    PronunciationLoad load;
    QFile file(path);
    if (!file.exists())
        return load;
    if (!file.open(QIODevice::ReadOnly)) {
        load.problem = QStringLiteral("The pronunciation rules in %1 could not be read: %2.")
                           .arg(path, file.errorString());
        return load;
    }
    const QByteArray bytes = file.read(kMostLexiconBytes + 1);
    const LexiconRead read = readPlsLexicon(bytes, LexiconKind::RulesFile);
    if (!read.error.isEmpty()) {
        load.problem =
            QStringLiteral("The pronunciation rules in %1 were not used. %2").arg(path, read.error);
        return load;
    }
    load.settings.rules = read.rules;
    load.settings.bookLexicons = read.bookLexicons;
    return load;
}

bool savePronunciationFile(const PronunciationSettings& settings, QString* error,
                           const QString& path) {
    const LexiconWrite written =
        writePlsLexicon(settings.rules, QString(), LexiconKind::RulesFile, settings.bookLexicons);
    QString why;
    if (writeFileAtomically(path, written.bytes, &why))
        return true;
    if (error)
        *error = QStringLiteral("The pronunciation rules could not be saved in %1 (%2). The file "
                                "holds the rules as they were before.")
                     .arg(path, why);
    return false;
}

} // namespace orasent
