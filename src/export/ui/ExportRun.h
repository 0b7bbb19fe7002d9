#pragma once
// One export running on a thread of its own while the windows stay usable: a progress dialog
// with the sentences done, the time left and Cancel; at the end a message says where the file
// is, or why there is none.
#include "export/AudioExport.h"

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <memory>
#include <thread>

class QWidget;

namespace orasent {

class UserPrompts;

class ExportRun : public QObject {
    Q_OBJECT
public:
    // Starts at once; `window` parents the dialogs.
    ExportRun(const ExportRequest& request, UserPrompts& prompts, QWidget* window);
    // Cancels a run still going and waits for its thread.
    ~ExportRun() override;

    bool isRunning() const { return !m_finished; }
    QProgressDialog* progressDialog() const { return m_progress; }
    void cancel();

signals:
    void finished(const orasent::ExportResult& result);

private:
    void showProgress(const ExportProgress& progress);
    void finish(const ExportResult& result);

    AudioExport m_export;
    UserPrompts& m_prompts;
    QPointer<QWidget> m_window;
    QPointer<QProgressDialog> m_progress;
    std::thread m_thread;
    bool m_finished = false;
};

// The message a finished export shows; empty for a cancelled one.
QString exportOutcomeMessage(const ExportResult& result);

} // namespace orasent
