#include "app/PrintTextCommand.h"

#include "app/CommandLine.h"
#include "documents/DocumentLoader.h"
#include "documents/NoteFilter.h"
#include "reader/ReadingOptions.h"

#include <QStringView>
#include <cstdio>

namespace orasent {

namespace {

const QString kOption = QStringLiteral("--print-text");

int complain(const QString& message, int status) {
    std::fprintf(stderr, "orasent: %s\n", message.toLocal8Bit().constData());
    return status;
}

// BookText's lines, each without the blanks around it; empty lines left out.
void printLines(const QString& bookText) {
    QString text = bookText;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QStringView line : QStringView(text).split(u'\n', Qt::SkipEmptyParts)) {
        const QByteArray utf8 = line.trimmed().toUtf8();
        if (utf8.isEmpty())
            continue;
        std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
        std::fputc('\n', stdout);
    }
    std::fflush(stdout);
}

} // namespace

bool isPrintTextCommand(const QStringList& arguments) {
    return namesOption(arguments, kOption);
}

int runPrintTextCommand(const QStringList& arguments) {
    QString file;
    const QStringList rest = arguments.mid(1);
    for (qsizetype i = 0; i < rest.size(); ++i) {
        if (rest.at(i) == kOption && i + 1 < rest.size() && file.isEmpty())
            file = rest.at(++i);
        else if (rest.at(i).startsWith(kOption + QLatin1Char('=')) && file.isEmpty())
            file = rest.at(i).mid(kOption.size() + 1);
        else
            return complain(QStringLiteral("--print-text takes one FILE and nothing else"), 2);
    }
    if (file.isEmpty())
        return complain(QStringLiteral("--print-text needs a FILE"), 2);
    DocumentLoad load = loadDocument(file);
    if (load.status != DocumentLoad::Status::Loaded) {
        const QString why =
            load.error.isEmpty() ? QStringLiteral("Error loading file") : load.error;
        return complain(QStringLiteral("%1: %2").arg(file, why.simplified()), 1);
    }
    if (!readReadingOptionsFile(kReadingOptionsFileName).readNotes)
        dropNotes(&load);
    printLines(load.bookText);
    return 0;
}

} // namespace orasent
