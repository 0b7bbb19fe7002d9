#pragma once
// Replaces a file whole: the data goes to a temporary file beside the target, every write, the
// flush to disk and the close are checked, and only then is the temporary renamed over the
// target. On any failure the temporary is removed and the old target stays byte for byte.
#include <QByteArray>
#include <QString>
#include <functional>

namespace orasent {

struct AtomicWriteOptions {
    // Name of the temporary file (in the target's folder). Empty: a unique hidden name.
    QString temporaryName;
};

bool writeFileAtomically(const QString& targetPath, const QByteArray& data,
                         QString* errorMessage = nullptr, const AtomicWriteOptions& options = {});

// Test seam: replaces the rename(2) call. Return 0 on success or -1 with errno set.
using RenameFunction = std::function<int(const char* from, const char* to)>;
void setRenameFunctionForTesting(RenameFunction function);

} // namespace orasent
