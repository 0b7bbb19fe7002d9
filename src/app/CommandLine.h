#pragma once
// What the program was asked to do on its command line.
#include <QString>
#include <QStringList>

namespace orasent {

struct CommandLine {
    // ReadSelection, ReadClipboard and Stop are handed to the running Orasent (or, for the
    // first two, start one in the background).
    enum class Action { Run, Help, Version, UsageError, ReadSelection, ReadClipboard, Stop };
    Action action = Action::Run;
    QString file;            // as given; empty when none
    bool userFolder = false; // work in the user's Orasent folder (the desktop menu's start)
    QString error;           // UsageError: one line, without the program name
};

// `arguments` without the program name.
CommandLine parseCommandLine(const QStringList& arguments);

// Every option the program knows: this parser's, --print-text and the export's
// (exportOptionNames()). The parser refuses any option missing here.
const QStringList& commandLineOptionNames();
// Whether `arguments` (the program's name first) name `option`, alone or as "option=value".
bool namesOption(const QStringList& arguments, const QString& option);

QString usageText();    // for --help
QString usageHint();    // after a usage error: where to look
int usageErrorStatus(); // the exit status of a usage error

} // namespace orasent
