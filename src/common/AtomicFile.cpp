#include "common/AtomicFile.h"

#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orasent {

namespace {
RenameFunction& renameFunction() {
    static RenameFunction function;
    return function;
}

QString describe(const QString& what, const QString& path, int errorNumber) {
    return QStringLiteral("%1 \"%2\": %3")
        .arg(what, path, QString::fromLocal8Bit(std::strerror(errorNumber)));
}
} // namespace

void setRenameFunctionForTesting(RenameFunction function) {
    renameFunction() = std::move(function);
}

bool writeFileAtomically(const QString& targetPath, const QByteArray& data, QString* errorMessage,
                         const AtomicWriteOptions& options) {
    const QFileInfo target(targetPath);
    const QString folder = target.absolutePath();
    QByteArray tempPath;
    int fd = -1;
    if (options.temporaryName.isEmpty()) {
        tempPath = QFile::encodeName(folder + QLatin1String("/.") + target.fileName() +
                                     QLatin1String(".XXXXXX"));
        fd = ::mkstemp(tempPath.data());
    } else {
        tempPath = QFile::encodeName(folder + QLatin1Char('/') + options.temporaryName);
        fd = ::open(tempPath.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    }
    const QString tempName = QFile::decodeName(tempPath);
    auto fail = [&](const QString& what, const QString& path, int errorNumber) {
        if (errorMessage)
            *errorMessage = describe(what, path, errorNumber);
        if (fd >= 0)
            ::close(fd);
        ::unlink(tempPath.constData());
        return false;
    };
    if (fd < 0) {
        const int e = errno;
        if (errorMessage)
            *errorMessage = describe(QStringLiteral("Could not create"), tempName, e);
        return false;
    }
    // mkstemp creates 0600; keep the target's permissions, or the usual 0644 for a new file.
    {
        struct stat existing;
        const mode_t mode = ::stat(QFile::encodeName(targetPath).constData(), &existing) == 0
                                ? (existing.st_mode & 07777)
                                : 0644;
        ::fchmod(fd, mode);
    }

    // Unbuffered writes: a full disk shows up here as ENOSPC, never as a silent short file.
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(QStringLiteral("Could not write"), tempName, errno);
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd) != 0)
        return fail(QStringLiteral("Could not flush"), tempName, errno);
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0)
        return fail(QStringLiteral("Could not close"), tempName, errno);

    const QByteArray targetBytes = QFile::encodeName(target.absoluteFilePath());
    const int renamed = renameFunction()
                            ? renameFunction()(tempPath.constData(), targetBytes.constData())
                            : ::rename(tempPath.constData(), targetBytes.constData());
    if (renamed != 0)
        return fail(QStringLiteral("Could not replace"), targetPath, errno);

    // Make the rename itself durable; a failure here cannot lose the new content.
    const int dirFd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace orasent

namespace orasent {

AtomicFileStream::AtomicFileStream(const QString& targetPath, const QString& temporaryPrefix)
    : m_target(targetPath) {
    const QFileInfo target(targetPath);
    const QString prefix = temporaryPrefix.isEmpty() ? QStringLiteral(".") : temporaryPrefix;
    m_tempPath = QFile::encodeName(target.absolutePath() + QLatin1Char('/') + prefix +
                                   target.fileName() + QLatin1String(".XXXXXX"));
    m_fd = ::mkstemp(m_tempPath.data());
    if (m_fd < 0) {
        const int e = errno;
        m_error = describe(QStringLiteral("Could not create"), temporaryPath(), e);
        m_tempPath.clear();
        return;
    }
    struct stat existing;
    const mode_t mode = ::stat(QFile::encodeName(targetPath).constData(), &existing) == 0
                            ? (existing.st_mode & 07777)
                            : 0644;
    ::fchmod(m_fd, mode);
}

AtomicFileStream::~AtomicFileStream() {
    if (!m_committed)
        discard();
}

QString AtomicFileStream::temporaryPath() const {
    return QFile::decodeName(m_tempPath);
}

bool AtomicFileStream::fail(const QString& what, const QString& path, int errorNumber) {
    m_error = describe(what, path, errorNumber);
    discard();
    return false;
}

bool AtomicFileStream::write(const QByteArray& data) {
    if (m_fd < 0 || m_finished)
        return false;
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(QStringLiteral("Could not write"), temporaryPath(), errno);
        }
        p += n;
        left -= n;
    }
    return true;
}

bool AtomicFileStream::finish() {
    if (m_finished)
        return true;
    if (m_fd < 0)
        return false;
    if (::fsync(m_fd) != 0)
        return fail(QStringLiteral("Could not flush"), temporaryPath(), errno);
    const int closed = ::close(m_fd);
    m_fd = -1;
    if (closed != 0)
        return fail(QStringLiteral("Could not close"), temporaryPath(), errno);
    m_finished = true;
    return true;
}

bool AtomicFileStream::commit() {
    if (!finish())
        return false;
    const QFileInfo target(m_target);
    const QByteArray targetBytes = QFile::encodeName(target.absoluteFilePath());
    const int renamed = renameFunction()
                            ? renameFunction()(m_tempPath.constData(), targetBytes.constData())
                            : ::rename(m_tempPath.constData(), targetBytes.constData());
    if (renamed != 0)
        return fail(QStringLiteral("Could not replace"), m_target, errno);
    m_committed = true;
    const int dirFd = ::open(QFile::encodeName(target.absolutePath()).constData(),
                             O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

void AtomicFileStream::discard() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_tempPath.isEmpty() && !m_committed)
        ::unlink(m_tempPath.constData());
    m_tempPath.clear();
    m_finished = false;
}

} // namespace orasent
