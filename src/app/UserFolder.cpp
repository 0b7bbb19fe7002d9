#include "app/UserFolder.h"

#include "common/ProgramFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace orasent {

QString userFolderPath() {
    const QString chosen = qEnvironmentVariable("ORASENT_HOME");
    if (!chosen.isEmpty())
        return chosen;
    return QDir::home().filePath(QStringLiteral("Orasent"));
}

QString prepareUserFolder(const QString& folder, const QString& poolSource) {
    if (!QDir().mkpath(folder))
        return QStringLiteral("The folder %1 can not be created.").arg(folder);
    for (const QString& pool : {files::techPool(), files::generalPool(), files::extraPool()}) {
        const QString target = QDir(folder).filePath(pool);
        const QString source = QDir(poolSource).filePath(pool);
        if (QFileInfo::exists(target) || !QFileInfo::exists(source))
            continue;
        if (!QFile::copy(source, target))
            return QStringLiteral("%1 can not be copied into %2.").arg(pool, folder);
    }
    return QString();
}

QString poolSourceFolder() {
    const QString installed = QStringLiteral(ORASENT_INSTALLED_DATA_DIR "/pools");
    if (QFileInfo(installed).isDir())
        return installed;
    return QStringLiteral(ORASENT_SOURCE_DATA_DIR "/data/pools");
}

} // namespace orasent
