#pragma once
// The command line's export: no window and no display. `arguments` include the program's name
// first, as QCoreApplication::arguments() gives them.
#include <QStringList>

namespace orasent {

// True when --export or --list-voices is among the arguments.
bool isExportCommand(const QStringList& arguments);

// Runs the export or lists the voices. Exit status: 0 done, 1 failure (input unreadable, output
// not written), 2 usage error; each with a one-line message on stderr. Needs a
// QCoreApplication.
int runExportCommand(const QStringList& arguments);

} // namespace orasent
