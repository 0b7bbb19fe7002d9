// Each document keeps its own place: leaving one records where the reader stopped, arriving at a
// known one takes the reader back there.
#include "reader/ReaderModel.h"

#include <QFileInfo>

namespace orasent {

namespace {
QString resumingMessage(int percent) {
    return QStringLiteral("Resuming where you stopped, %1 percent into the book.").arg(percent);
}
} // namespace

void ReaderModel::keepDocument(DocumentLoad& load) {
    m_lastLoadOk = load.status == DocumentLoad::Status::Loaded;
    m_loadNotice = m_lastLoadOk ? load.notice : QString();
    ++m_documentNumber;
    const QString path = QFileInfo(m_fileName).absoluteFilePath();
    setLoadedDocument(m_lastLoadOk ? std::make_shared<const LoadedDocument>(
                                         path, m_bookText, std::move(load.document),
                                         std::move(load.paragraphStarts))
                                   : std::make_shared<const LoadedDocument>());
}

LibraryEntry ReaderModel::entryForPlace() const {
    LibraryEntry entry;
    if (const LibraryEntry* known = m_library.library().findByKey(m_current.key))
        entry.voice = known->voice;
    const QString voice = m_port.voiceName();
    if (voice != m_current.voiceAtArrival)
        entry.voice = voice; // chosen while reading it
    entry.key = m_current.key;
    entry.path = m_current.path;
    entry.title = m_current.title;
    entry.lastRead = QDateTime::currentDateTimeUtc();
    entry.nextPos = m_nextPos;
    const bool nothingShown = m_current.lastPosInherited && m_lastPos == m_current.lastPosAtArrival;
    entry.lastPos = nothingShown ? 0 : m_lastPos;
    entry.bookMarks = m_bookMarks;
    entry.bookMarks[0] = 0;
    entry.bookNum = m_bookNum;
    entry.percent = percentInto(entry.lastPos, m_bookText.size());
    entry.placeHash = placeHash(m_bookText, entry.lastPos);
    return entry;
}

// Also called to bring the current document's entry up to date without leaving it.
void ReaderModel::leaveDocument(bool quitting) {
    if (m_current.key.isEmpty())
        return;
    m_library.library().remember(entryForPlace());
    saveLibrary(quitting);
}

void ReaderModel::saveLibrary(bool quitting) {
    QString error;
    if (m_library.save(&error)) {
        m_libraryFailureShown = false;
        return;
    }
    const QString failed =
        QStringLiteral("The places of your documents could not be saved to \"%1\". %2")
            .arg(m_library.path(), error);
    if (quitting) {
        m_port.showMessage(failed + QStringLiteral(" The places of this session are lost."));
        return;
    }
    // Once until it works again: the places stay in memory and the next save tries again.
    if (m_libraryFailureShown)
        return;
    m_libraryFailureShown = true;
    m_port.showMessage(failed + QStringLiteral(" They are kept while Orasent runs and saved again "
                                               "when you open another document or quit."));
}

const LibraryEntry* ReaderModel::knownPlace(const QString& path) const {
    const DocumentLibrary& library = m_library.library();
    if (const LibraryEntry* same = library.findByKey(m_current.key))
        return same;
    // The file was edited since: its place holds only if the text there is unchanged.
    const LibraryEntry* edited = library.findByPath(path);
    if (edited && edited->lastPos >= 1 && !edited->placeHash.isEmpty() &&
        placeHash(m_bookText, edited->lastPos) == edited->placeHash)
        return edited;
    return nullptr;
}

bool ReaderModel::arriveAtDocument(Arrival how) {
    m_current = CurrentDocument();
    if (!m_lastLoadOk)
        return false;
    const QFileInfo file(m_fileName);
    m_current.key = contentKey(m_bookText);
    m_port.documentArrived(m_current.key, m_loaded->document());
    m_current.path = file.absoluteFilePath();
    m_current.title = m_loaded->metadata().title.simplified();
    if (m_current.title.isEmpty())
        m_current.title = file.completeBaseName();
    const LibraryEntry* known = how == Arrival::Resume ? knownPlace(m_current.path) : nullptr;
    if (known) {
        const LibraryEntry entry = *known; // the library changes below
        resumeAt(entry);
    }
    m_current.voiceAtArrival = m_port.voiceName();
    m_current.lastPosInherited = how != Arrival::KeepPlace && !known;
    m_current.lastPosAtArrival = m_lastPos;
    return known != nullptr;
}

void ReaderModel::resumeAt(const LibraryEntry& entry) {
    if (!entry.voice.isEmpty() && entry.voice != m_port.voiceName())
        m_port.chooseVoice(entry.voice);
    m_bookMarks = entry.bookMarks;
    m_bookNum = entry.bookNum;
    if (!(entry.lastPos >= 1)) {
        m_nextPos = 0; // nothing was shown yet: it starts from the beginning, bookmarks kept
        m_lastPos = 0;
        return;
    }
    // The sentence last shown is shown again; Talk speaks it, as after a restart.
    m_nextPos = entry.lastPos;
    const std::optional<SentenceCut> sentence = cutSentenceAtNextPos();
    if (sentence)
        showSentence(sentence->text);
    m_lastPos = m_nextPos;
    const QString resuming = resumingMessage(percentInto(m_lastPos, m_bookText.size()));
    m_port.handOver(m_loadNotice.isEmpty() ? resuming : m_loadNotice + QLatin1Char(' ') + resuming);
}

bool ReaderModel::openLibraryEntry(const QByteArray& key) {
    const LibraryEntry* entry = m_library.library().findByKey(key);
    // A copy: leaving the current document reorders the library.
    const QString path = entry ? entry->path : QString();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    openChosenFile(path);
    return true;
}

void ReaderModel::forgetDocument(const QByteArray& key) {
    if (m_library.library().remove(key))
        saveLibrary();
}

} // namespace orasent
