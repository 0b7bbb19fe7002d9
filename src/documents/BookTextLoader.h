#pragma once
#include <QString>

namespace orasent {

// Builds BookText from a text file: streamed, lines joined without separator, a line containing
// "The answer is" preceded by CR LF. False + *error when opening or reading fails; *bookText then
// holds what was appended before the failure.
bool loadBookText(const QString& path, QString* bookText, QString* error = nullptr);

} // namespace orasent
