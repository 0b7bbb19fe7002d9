#include "export/ui/ExportRun.h"

#include "common/ui/UserPrompts.h"

#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace orasent {

namespace {
QString minutesAndSeconds(double seconds) {
    const qint64 s = qint64(seconds + 0.5);
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}
} // namespace

QString exportOutcomeMessage(const ExportResult& result) {
    switch (result.status) {
    case ExportResult::Status::Cancelled:
        return {};
    case ExportResult::Status::Failed:
        return QStringLiteral("The export did not finish, and no file was written.\n%1")
            .arg(result.error);
    case ExportResult::Status::Done:
        break;
    }
    const bool folder = QFileInfo(result.audioPath).isDir();
    QString text =
        QString::fromLatin1(folder ? "The chapters are saved in the folder\n%1\n(%2 of audio)"
                                   : "The audio file is saved as\n%1\n(%2 of audio)")
            .arg(QDir::toNativeSeparators(QFileInfo(result.audioPath).absoluteFilePath()),
                 minutesAndSeconds(result.audioSeconds()));
    if (!result.captionPath.isEmpty())
        text +=
            QStringLiteral("\nwith its captions in\n%1")
                .arg(QDir::toNativeSeparators(QFileInfo(result.captionPath).absoluteFilePath()));
    return text;
}

ExportRun::ExportRun(const ExportRequest& request, UserPrompts& prompts, QWidget* window)
    : QObject(window), m_export(request), m_prompts(prompts), m_window(window) {
    setObjectName(QStringLiteral("AudioExportRun"));
    m_progress = new QProgressDialog(QStringLiteral("Preparing the export..."),
                                     QStringLiteral("Cancel"), 0, 0, window);
    m_progress->setObjectName(QStringLiteral("ExportProgress"));
    m_progress->setWindowTitle(QStringLiteral("Export to Audio"));
    m_progress->setWindowModality(Qt::NonModal); // the reader stays usable
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setMinimumDuration(0);
    connect(m_progress, &QProgressDialog::canceled, this, &ExportRun::cancel);
    m_progress->show();

    m_thread = std::thread([this] {
        const ExportResult result = m_export.run([this](const ExportProgress& p) {
            QMetaObject::invokeMethod(
                this, [this, p] { showProgress(p); }, Qt::QueuedConnection);
        });
        QMetaObject::invokeMethod(
            this, [this, result] { finish(result); }, Qt::QueuedConnection);
    });
}

ExportRun::~ExportRun() {
    m_export.cancel();
    if (m_thread.joinable())
        m_thread.join();
    delete m_progress;
}

void ExportRun::cancel() {
    m_export.cancel();
    if (m_progress)
        m_progress->setLabelText(QStringLiteral("Cancelling..."));
}

void ExportRun::showProgress(const ExportProgress& p) {
    if (!m_progress || m_finished)
        return;
    m_progress->setMaximum(p.sentencesTotal);
    m_progress->setValue(p.sentencesDone);
    QString text;
    if (p.chapterCount > 1)
        text = QStringLiteral("Chapter %1 of %2: %3\n")
                   .arg(p.chapter)
                   .arg(p.chapterCount)
                   .arg(p.chapterTitle.left(80));
    text += QStringLiteral("Sentence %1 of %2").arg(p.sentencesDone).arg(p.sentencesTotal);
    if (p.secondsLeft >= 0)
        text += QStringLiteral(", about %1 left").arg(minutesAndSeconds(p.secondsLeft));
    m_progress->setLabelText(text);
}

void ExportRun::finish(const ExportResult& result) {
    m_finished = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_progress)
        m_progress->hide();
    const QString message = exportOutcomeMessage(result);
    emit finished(result);
    if (!message.isEmpty())
        m_prompts.showMessage(m_window, message, programTitle());
}

} // namespace orasent
