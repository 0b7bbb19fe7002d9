#include "app/ImportLexiconCommand.h"

#include "app/CommandLine.h"
#include "app/UserFolder.h"
#include "speech/PlsLexicon.h"
#include "speech/PronunciationFile.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace orasent {

namespace {

const QString kOption = QStringLiteral("--import-lexicon");

int tell(FILE* stream, const QString& message, int status) {
    std::fprintf(stream, "%s\n", message.toLocal8Bit().constData());
    return status;
}

int complain(const QString& message, int status) {
    return tell(stderr, QStringLiteral("orasent: ") + message, status);
}

} // namespace

bool isImportLexiconCommand(const QStringList& arguments) {
    return namesOption(arguments, kOption);
}

int runImportLexiconCommand(const QStringList& arguments) {
    QString file;
    bool userFolder = false;
    const QStringList rest = arguments.mid(1);
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest.at(i) == kOption && i + 1 < rest.size() && file.isEmpty())
            file = rest.at(++i);
        else if (rest.at(i).startsWith(kOption + QLatin1Char('=')) && file.isEmpty())
            file = rest.at(i).mid(kOption.size() + 1);
        else if (rest.at(i) == QLatin1String("--user-folder"))
            userFolder = true;
        else
            return complain(QStringLiteral("--import-lexicon takes one FILE"), 2);
    }
    if (file.isEmpty())
        return complain(QStringLiteral("--import-lexicon needs a FILE"), 2);
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return complain(QStringLiteral("%1: %2").arg(file, input.errorString()), 1);
    const LexiconRead read = readPlsLexicon(input.read(kMostLexiconBytes + 1), LexiconKind::Shared);
    if (!read.error.isEmpty())
        return complain(QStringLiteral("%1: %2").arg(file, read.error), 1);
    if (userFolder)
        QDir::setCurrent(userFolderPath());
    const PronunciationLoad load = loadPronunciationFile();
    if (!load.problem.isEmpty())
        return complain(load.problem, 1); // a damaged rules file is not written over
    PronunciationSettings settings = load.settings;
    const qsizetype before = settings.rules.size();
    settings.rules += read.rules;
    if (settings.rules.size() > kMostRules)
        settings.rules.resize(kMostRules);
    QString error;
    if (!savePronunciationFile(settings, &error))
        return complain(error, 1);
    QString told =
        QStringLiteral("%1 pronunciation rules imported into %2.")
            .arg(settings.rules.size() - before)
            .arg(QDir::current().absoluteFilePath(QLatin1String(kPronunciationFileName)));
    if (read.skipped > 0)
        told += QStringLiteral(" %1 entries had nothing Orasent can say and were left out.")
                    .arg(read.skipped);
    return tell(stdout, told, 0);
}

} // namespace orasent
