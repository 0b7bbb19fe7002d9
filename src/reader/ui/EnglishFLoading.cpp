// Loading a text or document without freezing the reader: the work runs on a thread of its own;
// after a second a progress dialog with Cancel shows. Files dropped on the window open like Open
// File.
#include "common/ui/UserPrompts.h"
#include "reader/ui/EnglishF.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QMimeData>
#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>

namespace orasent {

namespace {
// What the loading thread and the window share.
struct LoadShared {
    std::atomic<int> done{0};
    std::atomic<int> total{0};
    std::atomic<bool> cancelled{false};
};

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

DocumentLoad EnglishF::loadText(const QString& path) {
    auto shared = std::make_shared<LoadShared>();
    LoadProgress progress;
    progress.report = [shared](int done, int total) {
        shared->done = done;
        shared->total = total;
    };
    progress.cancelled = [shared] { return shared->cancelled.load(); };
    // Asked from the loading thread; the dialog runs on the window's, and only the answer
    // goes back.
    progress.password = [this](bool again) {
        std::optional<QString> answer;
        const auto ask = [&] {
            QApplication::restoreOverrideCursor(); // the user types now
            answer = m_prompts.getPassword(this, passwordMessage(again));
            QApplication::setOverrideCursor(Qt::WaitCursor);
        };
        if (QThread::currentThread() == thread())
            ask();
        else
            QMetaObject::invokeMethod(this, ask, Qt::BlockingQueuedConnection);
        return answer;
    };

    DocumentLoad result;
    const DocumentLoaderFunction loader = m_documentLoader ? m_documentLoader : loadDocument;
    QThread* worker = QThread::create([&] { result = loader(path, progress); });
    QEventLoop loop;
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    worker->start();

    // The first second: input waits, the window still paints.
    QTimer::singleShot(m_progressDelayMs, &loop, &QEventLoop::quit);
    if (worker->isRunning())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (worker->isRunning())
        waitWithProgress(*worker, loop, shared->done, shared->total, shared->cancelled);
    worker->wait();
    delete worker;
    QApplication::restoreOverrideCursor();
    return result;
}

void EnglishF::waitWithProgress(QThread& worker, QEventLoop& loop, const std::atomic<int>& done,
                                const std::atomic<int>& total, std::atomic<bool>& cancelled) {
    QProgressDialog dialog(QStringLiteral("Opening the file…"), QStringLiteral("Cancel"), 0, 0,
                           this);
    dialog.setObjectName(QStringLiteral("LoadProgress"));
    dialog.setWindowTitle(programTitle());
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setMinimumDuration(0);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    QTimer poll;
    connect(&poll, &QTimer::timeout, &dialog, [&] {
        if (total > 0) {
            dialog.setMaximum(total);
            dialog.setValue(done);
            dialog.setLabelText(QStringLiteral("Opening the file: %1 of %2").arg(done).arg(total));
        }
    });
    connect(&dialog, &QProgressDialog::canceled, &dialog, [&] {
        cancelled = true;
        dialog.setLabelText(QStringLiteral("Cancelling…"));
    });
    poll.start(100);
    dialog.show();
    if (worker.isRunning())
        loop.exec();
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
