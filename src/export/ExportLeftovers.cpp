#include "export/ExportLeftovers.h"

#include "common/AtomicFile.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>
#include <sys/types.h>
#include <unistd.h>

namespace orasent {

namespace {
const QString kRecordHeading = QStringLiteral("Orasent export temporaries");
const QString kRecordSuffix = QStringLiteral(".record");
const QString kPartialSuffix = QStringLiteral(".part"); // a record being written

// A process of that id still runs (or runs as another user): its temporaries stay.
bool stillRuns(qint64 pid) {
    if (pid <= 0 || pid == qint64(::getpid()))
        return pid > 0;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Of this user: nothing of another user is touched.
bool ownedByUs(const QFileInfo& info) {
    return info.ownerId() == uint(::getuid());
}

bool removeTemporary(const QString& path) {
    const QFileInfo info(path);
    qint64 pid = 0;
    if (!isExportTemporaryName(info.fileName(), &pid) || stillRuns(pid) || !ownedByUs(info))
        return false;
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}
} // namespace

QString exportTemporaryPrefix() {
    return QStringLiteral(".orasent-export-%1-").arg(qint64(::getpid()));
}

bool isExportTemporaryName(const QString& name, qint64* pid) {
    static const QRegularExpression pattern(QStringLiteral("^\\.orasent-export-([0-9]{1,10})-."));
    const QRegularExpressionMatch match = pattern.match(name);
    if (!match.hasMatch())
        return false;
    if (pid)
        *pid = match.captured(1).toLongLong();
    return true;
}

ExportRecord::ExportRecord(const QString& workingFolder) {
    static QAtomicInt count;
    m_path = QDir(workingFolder)
                 .absoluteFilePath(exportTemporaryPrefix() +
                                   QString::number(count.fetchAndAddRelaxed(1)) + kRecordSuffix);
}

ExportRecord::~ExportRecord() {
    if (!m_temporaries.isEmpty())
        QFile::remove(m_path);
}

void ExportRecord::add(const QString& temporaryPath) {
    m_temporaries.append(QFileInfo(temporaryPath).absoluteFilePath());
    const QString text = kRecordHeading + QLatin1Char('\n') + m_temporaries.join(QLatin1Char('\n'));
    // Without a record (a read-only working folder) the next export to the folder still finds
    // the temporaries by their names. The record's own temporary has the export's name too.
    AtomicWriteOptions options;
    options.temporaryName = QFileInfo(m_path).fileName() + kPartialSuffix;
    writeFileAtomically(m_path, text.toUtf8() + '\n', nullptr, options);
}

QStringList removeRecordedLeftovers(const QString& workingFolder) {
    QStringList removed;
    const QDir folder(workingFolder);
    const QStringList records =
        folder.entryList({QStringLiteral(".orasent-export-*") + kRecordSuffix,
                          QStringLiteral(".orasent-export-*") + kRecordSuffix + kPartialSuffix},
                         QDir::Files | QDir::Hidden);
    for (const QString& name : records) {
        if (name.endsWith(kPartialSuffix)) { // killed while writing its record
            if (removeTemporary(folder.filePath(name)))
                removed << folder.filePath(name);
            continue;
        }
        qint64 pid = 0;
        if (!isExportTemporaryName(name, &pid) || stillRuns(pid))
            continue;
        QFile record(folder.filePath(name));
        if (!record.open(QIODevice::ReadOnly) || record.size() > 1 << 20)
            continue;
        const QStringList lines = QString::fromUtf8(record.readAll()).split(QLatin1Char('\n'));
        record.close();
        if (lines.value(0) != kRecordHeading)
            continue; // not a record Orasent wrote
        for (const QString& path : lines.mid(1))
            if (QFileInfo(path).isAbsolute() && QFileInfo::exists(path) && removeTemporary(path))
                removed << path;
        if (removeTemporary(record.fileName()))
            removed << record.fileName();
    }
    return removed;
}

QStringList removeLeftoversIn(const QString& folder) {
    QStringList removed;
    const QDir dir(folder);
    const QStringList names = dir.entryList({QStringLiteral(".orasent-export-*")},
                                            QDir::Files | QDir::Dirs | QDir::Hidden |
                                                QDir::NoDotAndDotDot | QDir::System);
    for (const QString& name : names)
        if (removeTemporary(dir.filePath(name)))
            removed << dir.filePath(name);
    return removed;
}

} // namespace orasent
