// Reading a document for the reader on a thread of its own; its reports reach the job's thread
// as queued calls, so the receivers never see the loading thread.
#include "reader/DocumentLoadJob.h"

#include "documents/CoverImage.h"

#include <QFileInfo>
#include <QMetaObject>

#include <utility>

namespace orasent {

DocumentLoadJob::DocumentLoadJob(int ticket, const QString& path, Loader loader, QObject* parent)
    : QObject(parent), m_ticket(ticket), m_path(QFileInfo(path).absoluteFilePath()),
      m_loader(loader ? std::move(loader) : Loader(loadDocument)) {}

DocumentLoadJob::~DocumentLoadJob() {
    m_cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
}

DocumentLoad DocumentLoadJob::read(const LoadProgress& reports) const {
    DocumentLoad load = m_loader(m_path, reports);
    // The cover is read here as well, for an export to take with the text.
    DocumentMetadata& about = load.document.metadata;
    if (load.status == DocumentLoad::Status::Loaded && about.coverJpeg.isEmpty())
        about.coverJpeg = coverJpegFor(m_path);
    return load;
}

void DocumentLoadJob::end(const DocumentLoad& load) {
    if (load.status == DocumentLoad::Status::Failed)
        emit failed(m_ticket, load);
    else
        emit finished(m_ticket, load);
}

void DocumentLoadJob::start(Mode mode) {
    emit started(m_ticket);
    LoadProgress reports;
    reports.password = m_passwordAsker;
    if (mode == Mode::AtOnce) {
        reports.report = [this](int done, int total) {
            emit this->progress(m_ticket, done, total);
        };
        reports.arrived = [this](const QVector<Paragraph>& part) {
            emit partArrived(m_ticket, part);
        };
        end(read(reports));
        return;
    }
    // Deliveries are queued to this object; its destructor waits for the thread, and Qt drops
    // what is still queued for an object that is gone.
    auto deliver = [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    };
    reports.cancelled = [this] { return m_cancelled.load(); };
    reports.report = [this, deliver](int done, int total) {
        deliver([this, done, total] { emit this->progress(m_ticket, done, total); });
    };
    reports.arrived = [this, deliver](const QVector<Paragraph>& part) {
        deliver([this, part] { emit partArrived(m_ticket, part); });
    };
    m_thread = std::thread([this, deliver, reports = std::move(reports)] {
        DocumentLoad load = read(reports);
        deliver([this, load = std::move(load)] {
            m_thread.join(); // its last act was to queue this call
            end(load);
        });
    });
}

} // namespace orasent
