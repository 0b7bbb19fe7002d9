// Loading a text or document into BookText, and the ways a file is named.
#include "common/ProgramFiles.h"
#include "documents/DocumentLoader.h"
#include "documents/NoteFilter.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace orasent {

namespace {
const QString kNoFileMessage = QStringLiteral(
    "You have not designated a file to read. Go to the File menu as open a text file");
const QString kInvalidPathMessage =
    QStringLiteral("You have entered an invalid file path, name or type.");
const QString kLineBreakInNameMessage = QStringLiteral(
    "This file can not be opened, because its name contains a line break. Rename the file and "
    "open it again.");
} // namespace

bool ReaderModel::OpenfF() {
    // The first load at start-up opens a file named on the command line as Open File would;
    // the file of the saved state keeps the state file's place.
    if (const QString named = std::exchange(m_startupPath, QString()); !named.isEmpty()) {
        m_nextLoadFallsBack = true;
        return beginLoad(named, true, Arrival::Resume);
    }
    if (m_fileName.isEmpty()) {
        m_bookText.clear();
        DocumentLoad none;
        keepDocument(none);
        setState(ReaderState::Idle);
        m_port.handOver(kNoFileMessage);
        return true;
    }
    return beginLoad(m_fileName, false, Arrival::KeepPlace);
}

void ReaderModel::startNewReading() {
    std::fill(m_bookMarks.begin() + 1, m_bookMarks.end(), 0.0);
    m_bookNum = 0;
    m_nextPos = 0;
}

QString ReaderModel::unstorableNameMessage(const QString& path) {
    const bool hasLineBreak = path.contains(u'\r') || path.contains(u'\n');
    return hasLineBreak ? kLineBreakInNameMessage : QString();
}

bool ReaderModel::openChosenFile(const QString& path) {
    if (!isReadablePath(path)) {
        m_port.handOver(readableTypesMessage());
        return false;
    }
    if (const QString refusal = unstorableNameMessage(path); !refusal.isEmpty()) {
        m_port.handOver(refusal);
        return false;
    }
    beginLoad(path, true, Arrival::Resume);
    return true;
}

bool ReaderModel::openTypedPath(const QString& typedPath) {
    const bool hasWildcard =
        typedPath.contains(u'*') || typedPath.contains(u'?') || typedPath.contains(u'[');
    if (typedPath.isEmpty() || hasWildcard || !QFileInfo(typedPath).isFile()) {
        m_port.handOver(kInvalidPathMessage);
        return false;
    }
    if (const QString refusal = unstorableNameMessage(typedPath); !refusal.isEmpty()) {
        m_port.handOver(refusal);
        return false;
    }
    beginLoad(typedPath, false, Arrival::KeepPlace);
    return true;
}

QString ReaderModel::openStartupFile(const QString& absolutePath) {
    if (!QFileInfo(absolutePath).isFile())
        return kInvalidPathMessage;
    if (!isReadablePath(absolutePath))
        return readableTypesMessage();
    if (const QString refusal = unstorableNameMessage(absolutePath); !refusal.isEmpty())
        return refusal;
    const bool sameAsSaved =
        !m_fileName.isEmpty() && QFileInfo(m_fileName).absoluteFilePath() == absolutePath;
    m_startupPath = sameAsSaved ? QString() : absolutePath;
    if (!sameAsSaved)
        m_port.showPathBox(absolutePath);
    return QString();
}

} // namespace orasent
