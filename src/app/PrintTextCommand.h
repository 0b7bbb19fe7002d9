#pragma once
// `orasent --print-text FILE`: the text Orasent would read from FILE, one paragraph a line in
// UTF-8 on standard output, without a window or a display.
#include <QStringList>

namespace orasent {

// True when --print-text is among the arguments (the program's name first).
bool isPrintTextCommand(const QStringList& arguments);

// Exit status: 0 done, 1 an unreadable file, 2 a usage error; each failure with a one-line
// message on stderr. Notes are left out when "ReadingOptions.ini" in the working folder says so.
// Needs a QCoreApplication.
int runPrintTextCommand(const QStringList& arguments);

} // namespace orasent
