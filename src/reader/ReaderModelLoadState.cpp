// The reader's loading state: a document is read in the background, its parts join BookText as
// they arrive, and until the first one does the previous document, place and bookmarks stay.
#include "reader/ReaderModel.h"

#include "documents/NoteFilter.h"

#include <algorithm>
#include <utility>

namespace orasent {

namespace {
const QString kInstructionMessage = QStringLiteral(
    "Click the talk button to play each sentence. Or touch the space bar to toggle continuous "
    "play on and off.");
const QString kLoadErrorMessage = QStringLiteral("Error loading file");
const QString kSpreadWaitsMessage =
    QStringLiteral("The bookmarks are set when the whole document has been read in.");

QVector<Paragraph> withoutNotes(const QVector<Paragraph>& paragraphs) {
    QVector<Paragraph> kept;
    for (const Paragraph& p : paragraphs)
        if (p.kind != Paragraph::Kind::Note)
            kept.append(p);
    return kept;
}

bool isChapterKind(const QString& path) {
    return path.endsWith(QLatin1String(".epub"), Qt::CaseInsensitive);
}
} // namespace

void ReaderPort::startLoad(const QString& path, int ticket, ReaderModel& model) {
    model.loadEnded(ticket, loadText(path));
}

void ReaderModel::setState(ReaderState state) {
    const bool changed = state != m_state;
    m_state = state;
    showLoadingStatus();
    if (changed)
        emit stateChanged(state);
}

bool ReaderModel::beginLoad(const QString& path, bool newReading, DocumentArrival how) {
    ReaderState before = m_state;
    if (m_load) {
        // The latest choice wins; a part already being read stays as if stopped.
        m_port.cancelLoad(m_load->ticket);
        before = m_load->begun ? ReaderState::Reading : m_load->stateBefore;
        m_load.reset();
    }
    const int ticket = ++m_lastTicket;
    LoadInProgress load;
    load.ticket = ticket;
    load.path = path;
    load.newReading = newReading;
    load.arrival = how;
    load.startup = std::exchange(m_startupLoadPending, false);
    load.fallBackToSaved = std::exchange(m_nextLoadFallsBack, false);
    load.stateBefore = before;
    m_load = std::move(load);
    // Nothing more of the previous document is heard; reloading the same one (the path box
    // left as it was) lets the sentence finish.
    if (before == ReaderState::Reading && (newReading || path != m_fileName))
        m_port.StopVoice();
    m_port.showPathBox(path);
    setState(ReaderState::Loading);
    m_port.startLoad(path, ticket, *this);
    return m_lastCancelledTicket != ticket;
}

void ReaderModel::startArrivedDocument(const QString& notice) {
    m_load->begun = true;
    // The document being left keeps its place; the arriving one is known once it is whole.
    leaveDocument();
    m_leftReading = LeftReading{m_fileName, std::move(m_bookText), m_sentence, m_nextPos,
                                m_lastPos,  m_bookMarks,           m_bookNum,  std::move(m_current),
                                m_loaded};
    m_current = CurrentDocument();
    const bool anotherDocument = m_load->newReading || m_load->path != m_fileName;
    m_fileName = m_load->path;
    if (m_load->newReading)
        startNewReading();
    m_bookText.clear();
    // Its contents, languages and cover come when it is whole.
    setLoadedDocument(std::make_shared<const LoadedDocument>());
    if (anotherDocument) // nothing of the previous document stays on show
        showSentence(kInstructionMessage + QStringLiteral("\r\n"));
    QString said = kInstructionMessage;
    for (const QString& before : {notice, m_load->sayFirst})
        if (!before.isEmpty())
            said = before + QLatin1Char(' ') + said;
    m_load->sayFirst.clear();
    m_port.handOver(said);
    if (std::function<void()> command = std::move(m_load->commandBeforeFirstPart))
        command();
}

void ReaderModel::partArrived(int ticket, const QVector<Paragraph>& paragraphs) {
    if (!m_load || m_load->ticket != ticket || paragraphs.isEmpty())
        return;
    if (!m_load->begun)
        startArrivedDocument(QString());
    if (!m_load)
        return; // the command put off until now opened another file
    // Appended in place: what has been shown keeps its position.
    BookTextMap map{std::move(m_bookText), std::move(m_load->starts)};
    appendToBookText(map, m_readNotes ? paragraphs : withoutNotes(paragraphs));
    m_bookText = std::move(map.bookText);
    m_load->starts = std::move(map.starts);
    takeUpWaitingStep();
}

void ReaderModel::loadProgressed(int ticket, int done, int total) {
    if (!m_load || m_load->ticket != ticket)
        return;
    m_load->done = done;
    m_load->total = total;
    showLoadingStatus();
}

void ReaderModel::loadEnded(int ticket, DocumentLoad load) {
    if (!m_load || m_load->ticket != ticket)
        return;
    if (load.status == DocumentLoad::Status::Cancelled)
        m_lastCancelledTicket = ticket;
    endLoad(std::move(load));
}

void ReaderModel::stopLoading() {
    if (!m_load)
        return;
    m_port.cancelLoad(m_load->ticket);
    DocumentLoad stopped;
    stopped.status = DocumentLoad::Status::Cancelled;
    endLoad(std::move(stopped));
}

void ReaderModel::endLoad(DocumentLoad load) {
    LoadInProgress ending = std::move(*m_load);
    m_load.reset();
    const bool loaded = load.status == DocumentLoad::Status::Loaded;
    const bool failed = load.status == DocumentLoad::Status::Failed;
    // A document that fails after its first part arrived is not read either.
    if (ending.begun && failed)
        putBackLeftReading();
    if ((!ending.begun && !loaded) || (ending.begun && failed)) {
        // The previous document, place and bookmarks are all still there.
        m_leftReading.reset();
        m_port.showPathBox(m_fileName);
        setState(ending.begun && !m_bookText.isEmpty() ? ReaderState::Reading : ending.stateBefore);
        if (!ending.sayFirst.isEmpty())
            m_port.handOver(ending.sayFirst);
        if (ending.fallBackToSaved) {
            // Start-up with a file that could not be read: the saved state's one is read while
            // the message says why.
            m_startupLoadPending = ending.startup;
            OpenfF();
        }
        if (failed)
            reportLoadFailure(load);
        return;
    }
    m_leftReading.reset();
    const bool arrivedWhole = !ending.begun;
    if (arrivedWhole) {
        m_load = std::move(ending); // for startArrivedDocument
        startArrivedDocument(load.notice);
        if (!m_load)
            return; // the command put off until now opened another file
        ending = std::move(*m_load);
        m_load.reset();
    }
    if (loaded && !m_readNotes)
        dropNotes(&load);
    // The whole text, which begins with what has arrived; a text that does not (an extractor
    // that told early what it later changed) keeps what was shown.
    if (loaded && load.bookText.startsWith(m_bookText))
        m_bookText = std::move(load.bookText);
    keepDocument(load);
    arriveAtLoadedDocument(ending);
    setState(ReaderState::Reading);
    if (load.status == DocumentLoad::Status::Failed)
        reportLoadFailure(load);
    else if (loaded && !arrivedWhole && !load.notice.isEmpty())
        m_port.handOver(load.notice);
    m_load = std::move(ending); // the waiting step and Set 25 see the finished text
    takeUpWaitingStep();
    const bool spread = m_load && m_load->spreadWaiting;
    m_load.reset();
    if (spread)
        SpreadBookmarks();
}

void ReaderModel::putBackLeftReading() {
    if (!m_leftReading)
        return;
    setPlayMode(PlayMode::Off); // nothing more of the failed document is heard
    m_port.StopVoice();
    LeftReading& left = *m_leftReading;
    m_fileName = std::move(left.fileName);
    m_bookText = std::move(left.bookText);
    m_nextPos = left.nextPos;
    m_lastPos = left.lastPos;
    m_bookMarks = left.bookMarks;
    m_bookNum = left.bookNum;
    m_current = std::move(left.current);
    setLoadedDocument(std::move(left.loaded));
    showSentence(left.sentence);
    m_leftReading.reset();
}

void ReaderModel::arriveAtLoadedDocument(const LoadInProgress& ending) {
    // Once the reader has moved on in the arriving document, its place there stands.
    const bool moved = ending.newReading && m_nextPos != 0;
    const Arrival how =
        ending.arrival == Arrival::Resume && moved ? Arrival::KeepPlace : ending.arrival;
    const bool resumed = arriveAtDocument(how);
    if (!resumed && ending.startup && how == Arrival::KeepPlace)
        alignToSentenceStart(); // a place saved by an earlier version may fall mid-sentence
}

void ReaderModel::reportLoadFailure(const DocumentLoad& load) {
    if (load.errorSpoken)
        m_port.handOver(load.error);
    else
        m_port.showMessage(load.error.isEmpty() ? kLoadErrorMessage : load.error);
}

void ReaderModel::sayBeforeReading(const QString& text) {
    if (m_load && !m_load->begun)
        m_load->sayFirst = text;
    else
        m_port.handOver(text);
}

bool ReaderModel::putOffUntilArrived(std::function<void()> command) {
    if (!m_load || m_load->begun)
        return false;
    m_load->commandBeforeFirstPart = std::move(command);
    return true;
}

bool ReaderModel::waitForMore(LoadInProgress::Waiting step) {
    if (!m_load || m_state != ReaderState::Loading)
        return false;
    m_load->waiting = step;
    return true;
}

void ReaderModel::takeUpWaitingStep() {
    if (!m_load)
        return;
    const LoadInProgress::Waiting step = m_load->waiting;
    m_load->waiting = LoadInProgress::Waiting::None;
    if (step == LoadInProgress::Waiting::Sentence) {
        if (!SayNextSentence())
            waitForMore(step);
    } else if (step == LoadInProgress::Waiting::Bookmark)
        ShowBookmark();
}

bool ReaderModel::spreadWaitsForWholeText() {
    if (!m_load)
        return false;
    m_load->spreadWaiting = true;
    m_port.handOver(kSpreadWaitsMessage);
    return true;
}

void ReaderModel::forgetWaitingSteps() {
    if (!m_load)
        return;
    m_load->waiting = LoadInProgress::Waiting::None;
    m_load->commandBeforeFirstPart = nullptr;
}

void ReaderModel::showLoadingStatus() {
    if (m_state != ReaderState::Loading || !m_load) {
        m_port.showLoadingStatus(QString());
        return;
    }
    if (m_load->total <= 0) {
        m_port.showLoadingStatus(QStringLiteral("Loading"));
        return;
    }
    const QString unit =
        isChapterKind(m_load->path) ? QStringLiteral("chapter") : QStringLiteral("page");
    const int current = std::min(m_load->done + 1, m_load->total);
    m_port.showLoadingStatus(
        QStringLiteral("Loading: %1 %2 of %3").arg(unit).arg(current).arg(m_load->total));
}

} // namespace orasent
