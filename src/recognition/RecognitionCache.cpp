#include "recognition/RecognitionCache.h"

#include "common/AtomicFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QStandardPaths>

#include <algorithm>

namespace orasent {

namespace {
const QByteArray kMagic = "Orasent recognised text 1";
const QByteArray kEnd = "end";

QMutex& cacheMutex() {
    static QMutex mutex;
    return mutex;
}
QString& testFolder() {
    static QString folder;
    return folder;
}
// Entries stored since the folder was last measured; pruning waits for a batch of them, so a
// long scan does not list the folder once per page.
int& storesSincePrune() {
    static int count = 1000000; // the first store measures
    return count;
}
constexpr int kPruneEvery = 25;

QString entryPath(const QString& folder, const QByteArray& key) {
    return QDir(folder).filePath(QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex() + ".txt"));
}

// Least recently used first out until the folder is within both bounds.
void prune(const QString& folder) {
    QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    std::sort(entries.begin(), entries.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
    qint64 bytes = 0;
    for (const QFileInfo& entry : entries)
        bytes += entry.size();
    qsizetype count = entries.size();
    for (const QFileInfo& entry : entries) {
        if (count <= RecognitionCache::kMaxEntries && bytes <= RecognitionCache::kMaxBytes)
            break;
        if (QFile::remove(entry.filePath())) {
            --count;
            bytes -= entry.size();
        }
    }
}
} // namespace

QString RecognitionCache::folder() {
    QMutexLocker lock(&cacheMutex());
    if (!testFolder().isEmpty())
        return testFolder();
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("orasent/recognition"));
}

void RecognitionCache::setFolderForTesting(const QString& folder) {
    QMutexLocker lock(&cacheMutex());
    testFolder() = folder;
    storesSincePrune() = 1000000;
}

QByteArray RecognitionCache::key(const QByteArray& content, const QString& language,
                                 const QString& kind) {
    return kind.toUtf8() + ' ' + language.toUtf8() + ' ' +
           QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex();
}

std::optional<QStringList> RecognitionCache::find(const QByteArray& key) {
    const QString path = entryPath(folder(), key);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    // Magic, key, the paragraphs, the end mark and the empty rest after the last line end.
    if (lines.size() < 4 || lines.at(0) != kMagic || lines.at(1) != key ||
        lines.at(lines.size() - 2) != kEnd || !lines.last().isEmpty())
        return std::nullopt;
    QStringList paragraphs;
    for (qsizetype i = 2; i < lines.size() - 2; ++i)
        paragraphs << QString::fromUtf8(lines.at(i));
    // Used now: the last to go when the cache is pruned.
    QFile touch(path);
    if (touch.open(QIODevice::ReadWrite))
        touch.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    return paragraphs;
}

bool RecognitionCache::store(const QByteArray& key, const QStringList& paragraphs) {
    const QString dir = folder();
    if (!QDir().mkpath(dir))
        return false;
    QByteArray data = kMagic + '\n' + key + '\n';
    for (const QString& paragraph : paragraphs) {
        QString line = paragraph;
        line.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), ' ');
        data += line.toUtf8() + '\n';
    }
    data += kEnd + '\n';
    if (data.size() > kMaxBytes / 4)
        return false; // one text this large would push out most of the others
    if (!writeFileAtomically(entryPath(dir, key), data))
        return false;
    QMutexLocker lock(&cacheMutex());
    if (++storesSincePrune() >= kPruneEvery) {
        storesSincePrune() = 0;
        prune(dir);
    }
    return true;
}

} // namespace orasent
