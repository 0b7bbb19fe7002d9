// Loading a text or document into BookText, and the ways a file is named.
#include "common/ProgramFiles.h"
#include "documents/DocumentLoader.h"
#include "reader/ReaderModel.h"

#include <QDir>
#include <QFileInfo>

namespace orasent {

namespace {
const QString kNoFileMessage = QStringLiteral(
    "You have not designated a file to read. Go to the File menu as open a text file");
const QString kInstructionMessage = QStringLiteral(
    "Click the talk button to play each sentence. Or touch the space bar to toggle continuous "
    "play on and off.");
const QString kInvalidPathMessage =
    QStringLiteral("You have entered an invalid file path, name or type.");
const QString kLoadErrorMessage = QStringLiteral("Error loading file");
const QString kLineBreakInNameMessage = QStringLiteral(
    "This file can not be opened, because its name contains a line break. Rename the file and "
    "open it again.");
} // namespace

bool ReaderModel::OpenfF() {
    if (FileName.isEmpty()) {
        BookText.clear();
        setDocumentLanguages({}, {});
        m_port.handOver(kNoFileMessage);
        return true;
    }
    DocumentLoad load = m_port.loadText(FileName);
    if (load.status == DocumentLoad::Status::Cancelled)
        return false;
    BookText = std::move(load.bookText);
    setDocumentLanguages(load.document, load.paragraphStarts);
    if (load.status == DocumentLoad::Status::Failed) {
        if (load.errorSpoken)
            m_port.handOver(load.error);
        else
            m_port.showMessage(load.error.isEmpty() ? kLoadErrorMessage : load.error);
        return true;
    }
    m_port.handOver(load.notice.isEmpty() ? kInstructionMessage
                                          : load.notice + QLatin1Char(' ') + kInstructionMessage);
    return true;
}

void ReaderModel::startNewReading() {
    std::fill(BookMarks.begin() + 1, BookMarks.end(), 0.0);
    BookNum = 0;
    NextPos = 0;
}

ReaderModel::ReadingPlace ReaderModel::place() const {
    return {FileName, NextPos, LastPos, BookMarks, BookNum};
}

void ReaderModel::restorePlace(const ReadingPlace& before) {
    FileName = before.fileName;
    NextPos = before.nextPos;
    LastPos = before.lastPos;
    BookMarks = before.bookMarks;
    BookNum = before.bookNum;
    m_port.showPathBox(FileName);
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
    const ReadingPlace before = place();
    startNewReading();
    m_port.showPathBox(path);
    FileName = path;
    if (!OpenfF())
        restorePlace(before);
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
    const ReadingPlace before = place();
    FileName = typedPath;
    if (!OpenfF())
        restorePlace(before);
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
        !FileName.isEmpty() && QFileInfo(FileName).absoluteFilePath() == absolutePath;
    if (!sameAsSaved) {
        startNewReading();
        FileName = absolutePath;
        m_port.showPathBox(FileName);
    }
    return QString();
}

} // namespace orasent
