#pragma once
// One document read in for the reader, as a job: it reads on a thread of its own (or at once,
// for tests that drive no threads) and reports its start, progress, arrived parts and end as
// signals on the thread that made it. The window only connects them and shows the progress.
#include "documents/DocumentLoader.h"

#include <QObject>
#include <QString>
#include <QVector>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

namespace orasent {

class DocumentLoadJob : public QObject {
    Q_OBJECT
public:
    // How a path becomes a DocumentLoad; called on the job's thread.
    using Loader = std::function<DocumentLoad(const QString&, const LoadProgress&)>;
    // Asked on the job's thread when the document needs a password (see LoadProgress).
    using PasswordAsker = std::function<std::optional<QString>(bool again)>;
    enum class Mode { Background, AtOnce };

    // `loader` empty: loadDocument. The path is taken as absolute now, since the working
    // directory may change (the file dialog) before the thread opens the file.
    DocumentLoadJob(int ticket, const QString& path, Loader loader, QObject* parent = nullptr);
    // Asks the thread to stop and waits for it.
    ~DocumentLoadJob() override;
    DocumentLoadJob(const DocumentLoadJob&) = delete;
    DocumentLoadJob& operator=(const DocumentLoadJob&) = delete;

    int ticket() const { return m_ticket; }
    void setPasswordAsker(PasswordAsker asker) { m_passwordAsker = std::move(asker); }
    // Emits started, then reads. AtOnce: everything is delivered before this returns.
    void start(Mode mode);
    // No longer wanted: the thread stops soon; what it still delivers says Cancelled or
    // whatever it had finished with.
    void cancel() { m_cancelled = true; }

signals:
    void started(int ticket);
    void progress(int ticket, int done, int total);
    void partArrived(int ticket, const QVector<Paragraph>& paragraphs);
    // The load ended as loaded or cancelled; failed: it could not be read (load.error says why).
    // Either is the job's last signal, and its thread has ended when it comes.
    void finished(int ticket, const orasent::DocumentLoad& load);
    void failed(int ticket, const orasent::DocumentLoad& load);

private:
    DocumentLoad read(const LoadProgress& reports) const;
    void end(const DocumentLoad& load);

    const int m_ticket;
    const QString m_path;
    const Loader m_loader;
    PasswordAsker m_passwordAsker;
    std::atomic<bool> m_cancelled{false};
    std::thread m_thread;
};

} // namespace orasent
