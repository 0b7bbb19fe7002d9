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

namespace orasent {

// The same replacement for data written piece by piece (or by a library through fd()): the
// temporary file beside the target is created at once and renamed over it by commit(). Until
// then the target is untouched; destroying an uncommitted stream removes the temporary.
class AtomicFileStream {
public:
    // The temporary is "<prefix><target's name>.XXXXXX" beside the target; without a prefix
    // ".<target's name>.XXXXXX".
    explicit AtomicFileStream(const QString& targetPath, const QString& temporaryPrefix = {});
    ~AtomicFileStream();
    AtomicFileStream(const AtomicFileStream&) = delete;
    AtomicFileStream& operator=(const AtomicFileStream&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    QString temporaryPath() const;
    QString errorString() const { return m_error; }

    // Unbuffered; false (and errorString) when the disk refuses any of it.
    bool write(const QByteArray& data);
    // Flushes the data to disk and closes the file; the rename waits for commit().
    bool finish();
    // finish() if not done, then the rename over the target.
    bool commit();
    // Removes the temporary; the target stays as it was.
    void discard();

private:
    bool fail(const QString& what, const QString& path, int errorNumber);
    QString m_target;
    QByteArray m_tempPath;
    int m_fd = -1;
    bool m_finished = false;
    bool m_committed = false;
    QString m_error;
};

} // namespace orasent
