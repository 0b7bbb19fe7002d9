#pragma once
// A small tmpfs for fault tests: a full disk, or a read-only mount. Needs root; tests skip
// when the mount is not possible.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace orasent::test {

class TmpfsMount {
public:
    explicit TmpfsMount(int sizeKiB = 64) {
        if (!m_dir.isValid())
            return;
        m_mounted = run({"mount", "-t", "tmpfs", "-o", QStringLiteral("size=%1k").arg(sizeKiB),
                         "tmpfs", m_dir.path()});
    }
    ~TmpfsMount() {
        if (m_mounted)
            run({"umount", "-l", m_dir.path()});
    }
    bool isMounted() const { return m_mounted; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }

    // Fills the file system until a write fails.
    void fill() {
        QFile filler(filePath(QStringLiteral(".filler")));
        if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size()) {
        }
        // Also use up the last partial block.
        while (filler.write("x", 1) == 1) {
        }
    }
    bool remountReadOnly() { return run({"mount", "-o", "remount,ro", m_dir.path()}); }

private:
    static bool run(const QStringList& command) {
        QProcess p;
        p.start(command.first(), command.mid(1));
        return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    }
    QTemporaryDir m_dir;
    bool m_mounted = false;
};

} // namespace orasent::test
