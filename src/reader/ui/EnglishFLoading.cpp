// Loading a text or document without freezing the reader: each load is a job on a thread of its
// own whose parts, progress and end go to the reading model on the window's thread; a status
// line under the path box tells how far it is, and Tools > Stop Loading ends it. Files dropped
// on the window open like Open File.
#include "common/ui/UserPrompts.h"
#include "reader/DocumentLoadJob.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/ReaderStatusLine.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QThread>
#include <QUrl>

#include <algorithm>

namespace orasent {

namespace {
QString passwordMessage(bool again) {
    return again ? QStringLiteral("That password is wrong. Type the password again.")
                 : QStringLiteral("This document is locked with a password. Type the password "
                                  "to open it.");
}

// The one local file a drag carries, or empty.
QString droppedFile(const QMimeData* mime) {
    if (!mime || !mime->hasUrls() || mime->urls().size() != 1)
        return QString();
    const QUrl url = mime->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
}
} // namespace

void EnglishF::setDocumentLoader(DocumentLoaderFunction loader) {
    m_documentLoader = std::move(loader);
}

void EnglishF::startLoad(const QString& path, int ticket, ReaderModel& model) {
    auto* job = new DocumentLoadJob(ticket, path, m_documentLoader, this);
    job->setPasswordAsker(passwordAsker());
    connect(job, &DocumentLoadJob::started, this, [this] { m_stopLoading->setEnabled(true); });
    connect(job, &DocumentLoadJob::progress, &model, &ReaderModel::loadProgressed);
    connect(job, &DocumentLoadJob::partArrived, &model, &ReaderModel::partArrived);
    const auto ended = [this, job, &model](int endedTicket, const DocumentLoad& load) {
        forgetLoadJob(job);
        model.loadEnded(endedTicket, load);
    };
    connect(job, &DocumentLoadJob::finished, this, ended);
    connect(job, &DocumentLoadJob::failed, this, ended);
    m_loadJobs.push_back(job);
    job->start(m_loadMode);
}

std::function<std::optional<QString>(bool again)> EnglishF::passwordAsker() {
    // Asked from the loading thread; the dialog runs on the window's, and only the answer goes
    // back. The password itself is kept nowhere.
    return [this](bool again) {
        std::optional<QString> answer;
        const auto ask = [&] { answer = m_prompts.getPassword(this, passwordMessage(again)); };
        if (QThread::currentThread() == thread())
            ask();
        else
            QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
        return answer;
    };
}

void EnglishF::cancelLoad(int ticket) {
    for (DocumentLoadJob* job : m_loadJobs)
        if (job->ticket() == ticket)
            job->cancel();
}

void EnglishF::forgetLoadJob(DocumentLoadJob* job) {
    m_loadJobs.erase(std::remove(m_loadJobs.begin(), m_loadJobs.end(), job), m_loadJobs.end());
    job->deleteLater(); // it is still sending its last signal
}

void EnglishF::stopLoadJobs(bool wait) {
    for (DocumentLoadJob* job : m_loadJobs)
        job->cancel();
    if (!wait)
        return;
    for (DocumentLoadJob* job : m_loadJobs)
        delete job; // waits for its thread
    m_loadJobs.clear();
}

void EnglishF::addStopLoading() {
    m_stopLoading = m_toolsMenu->addAction(QStringLiteral("Stop Loading"));
    m_stopLoading->setObjectName(QStringLiteral("StopLoading"));
    m_stopLoading->setEnabled(false);
    connect(m_stopLoading, &QAction::triggered, this, [this] { m_model.stopLoading(); });
}

void EnglishF::showLoadingStatus(const QString& text) {
    m_statusLine->setPart(QStringLiteral("loading"), text);
    if (m_stopLoading)
        m_stopLoading->setEnabled(!text.isEmpty());
}

void EnglishF::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void EnglishF::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    m_model.openChosenFile(path);
}

} // namespace orasent
