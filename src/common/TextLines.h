#pragma once
// Line ends of the program's text files: CR LF when written; when read, a line ends at CR LF or
// at a lone CR, while a lone LF is not a line end and stays in the line.
#include <QString>
#include <QStringList>
#include <QStringView>

namespace orasent {

// Splits text into lines. A last line without a terminator counts; a terminator at the very end
// does not start another (empty) line. Empty text gives no lines.
QStringList splitLines(QStringView text);

// Each line followed by CR LF.
QString joinLinesCrLf(const QStringList& lines);

// Reads a whole (small) text file and splits it into lines through the encoding rule.
// Returns false when the file cannot be opened or read; *error then says why.
bool readTextFileLines(const QString& path, QStringList* lines, QString* error = nullptr);

} // namespace orasent
