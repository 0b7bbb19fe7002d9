#pragma once
// The user's own working folder, as the desktop menu starts the program: $ORASENT_HOME or
// ~/Orasent, created on first use with the three question pools.
#include <QString>

namespace orasent {

// The folder's path (not created).
QString userFolderPath();

// Creates the folder if needed and copies each pool from `poolSource` that is not there yet
// (files already there are never replaced). Empty on success, else why not.
QString prepareUserFolder(const QString& folder, const QString& poolSource);

// Where the question pools come from: the installed data folder, else the source tree's.
QString poolSourceFolder();

} // namespace orasent
