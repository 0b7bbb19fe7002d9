#include "app/DesktopSession.h"

#include "common/ui/UserPrompts.h"
#include "export/ui/ExportRun.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/SleepTimerMenu.h"
#include "speech/SpeakingCore.h"
#include "speech/SpeechWindow.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

namespace orasent {

DesktopSession::DesktopSession(EnglishF& reader, SpeechWindow& tts, QObject* parent)
    : QObject(parent), m_reader(reader), m_tts(tts) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, &DesktopSession::runPending);
    m_player = new MediaPlayerService(*this, this);
    connect(&m_tts.speakingCore(), &SpeakingCore::speakingStateApplied, m_player,
            &MediaPlayerService::refresh);
    // The session's end; and any other way out of the event loop saves as Quit does too.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this] { quitAsQuit(); });
    connect(qGuiApp, &QCoreApplication::aboutToQuit, this, [this] { quitAsQuit(); });
}

DesktopSession::~DesktopSession() = default;

bool DesktopSession::publishPlayer() {
    return m_player->publish();
}

namespace {
bool readsText(HandOver::Kind kind) {
    return kind == HandOver::Kind::ReadSelection || kind == HandOver::Kind::ReadClipboard;
}
} // namespace

void DesktopSession::take(const HandOver& request) {
    if (!readsText(request.kind)) {
        m_pending.append(request);
        QTimer::singleShot(0, this, &DesktopSession::runPending);
        return;
    }
    // The latest text wins: a burst of requests (a held shortcut key) is read once, when it
    // has settled, instead of starting and cutting off the speech for each one.
    m_pending.removeIf([](const HandOver& waiting) { return readsText(waiting.kind); });
    m_pending.append(request);
    m_settle.start();
}

void DesktopSession::runPending() {
    if (m_pending.isEmpty() || m_phase != Phase::Ready)
        return; // setReady runs what waits
    // A dialog waiting for an answer runs an event loop of its own: the requests wait until it
    // has returned, and are then run from the main loop.
    UserPrompts& prompts = m_reader.prompts();
    if (prompts.isShowing()) {
        if (!m_waitingForPrompts) {
            m_waitingForPrompts = true;
            prompts.whenNoneShowing([this] {
                m_waitingForPrompts = false;
                QTimer::singleShot(0, this, &DesktopSession::runPending);
            });
        }
        return;
    }
    while (!m_pending.isEmpty() && m_phase != Phase::Quitting)
        run(m_pending.takeFirst());
}

void DesktopSession::run(const HandOver& request) {
    switch (request.kind) {
    case HandOver::Kind::Show:
        raise();
        break;
    case HandOver::Kind::Open:
        raise();
        if (!QFileInfo(request.file).isFile()) {
            m_tts.handOver(QStringLiteral("The file %1 can not be found.")
                               .arg(QDir::toNativeSeparators(elidedForNotice(request.file))));
            break;
        }
        {
            const QString workingDir = QDir::currentPath();
            m_reader.model().openChosenFile(request.file);
            QDir::setCurrent(workingDir);
        }
        break;
    case HandOver::Kind::ReadSelection:
        readText(SelectionSource::Selection);
        break;
    case HandOver::Kind::ReadClipboard:
        readText(SelectionSource::Clipboard);
        break;
    case HandOver::Kind::Stop:
        stop();
        break;
    }
    m_player->refresh();
}

void DesktopSession::readText(SelectionSource source) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    QClipboard::Mode mode = QClipboard::Clipboard;
    QString insteadNotice;
    if (source == SelectionSource::Selection) {
        if (clipboard->supportsSelection()) {
            mode = QClipboard::Selection;
        } else {
            source = SelectionSource::Clipboard;
            if (!m_toldClipboardInstead)
                insteadNotice = clipboardInsteadNotice() + QLatin1Char(' ');
            m_toldClipboardInstead = true;
        }
    }
    const SelectionSpeech speech = prepareSelection(clipboard->text(mode), source);
    // As a new sentence does: what is being heard stops, and continuous play with it.
    m_reader.model().stop();
    m_tts.handOver(insteadNotice + spokenSelection(speech));
}

void DesktopSession::setPhase(Phase phase) {
    if (phase == m_phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
}

void DesktopSession::setReady() {
    if (m_phase == Phase::QuitWhenReady) {
        setPhase(Phase::Ready);
        quitAsQuit();
        return;
    }
    if (m_phase == Phase::Starting)
        setPhase(Phase::Ready);
    if (m_phase == Phase::Ready && !m_pending.isEmpty())
        QTimer::singleShot(0, this, &DesktopSession::runPending);
}

void DesktopSession::quitAsQuit() {
    if (m_phase == Phase::Quitting || m_phase == Phase::QuitWhenReady)
        return;
    if (m_phase == Phase::Starting) {
        // The state is saved once it has been read and the text loaded.
        setPhase(Phase::QuitWhenReady);
        return;
    }
    setPhase(Phase::Quitting);
    // Nobody may be there to answer: open dialogs are cancelled, and what the quit has to say
    // (a save that failed) goes to the log.
    UserPrompts& prompts = m_reader.prompts();
    prompts.closeForQuit();
    if (!prompts.isShowing()) {
        finishQuit();
        return;
    }
    // The signal came inside a dialog's event loop; what asked for the dialog (a load's
    // password) finishes before the reader closes, from the main loop.
    prompts.whenNoneShowing([this] { QTimer::singleShot(0, this, &DesktopSession::finishQuit); });
}

void DesktopSession::finishQuit() {
    // Each export's thread is cancelled and joined; its partial files go with it.
    for (ExportRun* run : m_reader.findChildren<ExportRun*>())
        delete run;
    m_reader.close(); // writes the state file and unloads the speech window
    QCoreApplication::quit();
}

void DesktopSession::play() {
    m_reader.model().GetKey();
}

void DesktopSession::pause() {
    m_reader.model().stop();
}

void DesktopSession::next() {
    m_reader.model().talk(1);
}

void DesktopSession::previous() {
    m_reader.model().talk(2);
}

void DesktopSession::stop() {
    m_reader.model().stop();
}

void DesktopSession::raise() {
    m_reader.setWindowState(m_reader.windowState() & ~Qt::WindowMinimized);
    m_reader.show();
    m_reader.raise();
    m_reader.activateWindow();
}

void DesktopSession::quit() {
    // After the answer to the caller has gone out.
    QTimer::singleShot(0, this, &DesktopSession::quitAsQuit);
}

void DesktopSession::openFile(const QString& absolutePath) {
    take({HandOver::Kind::Open, absolutePath});
}

bool DesktopSession::isPlaying() const {
    return m_reader.model().playMode() == ReaderModel::PlayMode::Continuous || !m_tts.isIdle();
}

PlayerMetadata DesktopSession::metadata() const {
    const ReaderModel& model = m_reader.model();
    PlayerMetadata data;
    if (model.fileName().isEmpty())
        return data;
    data.file = QFileInfo(model.fileName()).absoluteFilePath();
    const DocumentMetadata& about = model.loadedDocument()->metadata();
    data.title = about.title.trimmed();
    if (data.title.isEmpty())
        data.title = QFileInfo(model.fileName()).completeBaseName();
    data.author = about.author.trimmed();
    if (const auto chapter = model.chapterAt(model.lastPos() > 0 ? model.lastPos() : 1))
        data.chapter = chapter->title.trimmed();
    return data;
}

} // namespace orasent
