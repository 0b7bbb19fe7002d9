#pragma once
// The program's version and the files it keeps in the working directory, each named once.
#include <QString>

namespace orasent {

// From the build's project version.
inline QString programVersion() {
    return QStringLiteral(ORASENT_VERSION);
}

namespace files {
inline QString readingState() {
    return QStringLiteral("Orasent.txt");
}
inline QString speechSettings() {
    return QStringLiteral("VIC.INI");
}
inline QString speechSettingsTemporary() {
    return QStringLiteral("ALLTMP");
}
inline QString wordList() {
    return QStringLiteral("Speech.lst");
}
// The reader's typeface, spacing and colours.
inline QString readingLook() {
    return QStringLiteral("ReadingLook.ini");
}
// The places of the documents read.
inline QString library() {
    return QStringLiteral("Library.ini");
}
inline QString techPool() {
    return QStringLiteral("Tech Pool.txt");
}
inline QString generalPool() {
    return QStringLiteral("General Pool.txt");
}
inline QString extraPool() {
    return QStringLiteral("Extra Pool.txt");
}
} // namespace files

} // namespace orasent
