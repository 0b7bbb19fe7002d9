#pragma once
// The one character-encoding rule of the program.
// Reading: bytes that are valid UTF-8 are UTF-8 (a leading BOM is skipped); anything else is
// Windows-1252, the code page of the older stored files. Writing: Windows-1252 when every
// character fits, otherwise UTF-8, so no character is ever lost.
#include <QByteArray>
#include <QString>

namespace orasent {

enum class TextEncoding { Utf8, Windows1252 };

bool isValidUtf8(const char* data, qsizetype size);
TextEncoding detectEncoding(const QByteArray& bytes);
QString decodeText(const QByteArray& bytes);
QByteArray encodeText(const QString& text);
// The encoding encodeText() would choose for this text.
TextEncoding encodingFor(const QString& text);

} // namespace orasent
