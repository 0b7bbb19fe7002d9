// Loading a text or document without freezing the reader: each load runs on a thread of its
// own and hands its parts, progress and end to the reading model on the window's thread; a
// status line under the path box tells how far it is, and Tools > Stop Loading ends it. Files
// dropped on the window open like Open File.
#include "common/ui/UserPrompts.h"
#include "documents/CoverImage.h"
#include "reader/ui/EnglishF.h"
#include "reader/ui/EnglishFLoadWorker.h"
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

#include <memory>

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
// The cover is read on the loading thread as well, for an export to take with the text.
EnglishF::DocumentLoaderFunction withCover(EnglishF::DocumentLoaderFunction loader) {
    return [loader = std::move(loader)](const QString& path, const LoadProgress& progress) {
        DocumentLoad load = loader(path, progress);
        DocumentMetadata& about = load.document.metadata;
        if (load.status == DocumentLoad::Status::Loaded && about.coverJpeg.isEmpty())
            about.coverJpeg = coverJpegFor(path);
        return load;
    };
}
} // namespace

void EnglishF::setDocumentLoader(DocumentLoaderFunction loader) {
    m_documentLoader = std::move(loader);
}

void EnglishF::startLoad(const QString& path, int ticket, ReaderModel& model) {
    // The working directory may change (the file dialog) before the thread opens the file.
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const DocumentLoaderFunction loader =
        withCover(m_documentLoader ? m_documentLoader : loadDocument);
    m_stopLoading->setEnabled(true);
    if (!m_loadInBackground) {
        LoadProgress progress;
        progress.password = passwordAsker();
        progress.report = [&](int done, int total) { model.loadProgressed(ticket, done, total); };
        progress.arrived = [&](const QVector<Paragraph>& part) { model.partArrived(ticket, part); };
        model.loadEnded(ticket, loader(absolute, progress));
        return;
    }
    auto worker = std::make_unique<LoadWorker>();
    worker->ticket = ticket;
    LoadWorker* raw = worker.get();
    // Deliveries are queued to the window; the window outlives the thread (see the destructor).
    auto deliver = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    raw->thread = std::thread([this, raw, absolute, loader, deliver, ticket] {
        LoadProgress progress;
        progress.password = passwordAsker();
        progress.cancelled = [raw] { return raw->cancelled.load(); };
        progress.report = [&](int done, int total) {
            deliver([this, ticket, done, total] { m_model.loadProgressed(ticket, done, total); });
        };
        progress.arrived = [&](const QVector<Paragraph>& part) {
            deliver([this, ticket, part] { m_model.partArrived(ticket, part); });
        };
        DocumentLoad load = loader(absolute, progress);
        deliver([this, ticket, load = std::move(load)]() mutable {
            finishLoadWorker(ticket);
            m_model.loadEnded(ticket, std::move(load));
        });
    });
    m_loadWorkers.push_back(std::move(worker));
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
    for (const auto& worker : m_loadWorkers)
        if (worker->ticket == ticket)
            worker->cancelled = true;
}

void EnglishF::finishLoadWorker(int ticket) {
    for (auto it = m_loadWorkers.begin(); it != m_loadWorkers.end(); ++it) {
        if ((*it)->ticket == ticket) {
            (*it)->thread.join(); // its last act was to queue this call
            m_loadWorkers.erase(it);
            return;
        }
    }
}

void EnglishF::stopLoadWorkers(bool join) {
    for (const auto& worker : m_loadWorkers)
        worker->cancelled = true;
    if (!join)
        return;
    for (const auto& worker : m_loadWorkers)
        worker->thread.join();
    m_loadWorkers.clear();
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
