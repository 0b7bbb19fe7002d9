#include "export/EncoderStage.h"

namespace orasent {

namespace {
// Audio waiting for the encoder: about 24 s at 22,050 Hz, 11 s at 48 kHz.
constexpr qint64 kMaxQueuedBytes = 1024 * 1024;
} // namespace

EncoderStage::EncoderStage() : m_thread([this] { loop(); }) {}

EncoderStage::~EncoderStage() {
    stop();
    m_thread.join();
}

bool EncoderStage::push(Job job) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [&] { return m_stopped || m_bytes < kMaxQueuedBytes; });
    if (m_stopped)
        return false;
    m_bytes += job.pcm.size();
    m_jobs.push_back(std::move(job));
    m_wake.notify_all();
    return true;
}

bool EncoderStage::open(std::unique_ptr<AudioFileWriter> writer) {
    Job job;
    job.kind = Job::Open;
    job.writer = std::move(writer);
    return push(std::move(job));
}

bool EncoderStage::write(QByteArray pcm) {
    if (pcm.isEmpty())
        return true;
    Job job;
    job.pcm = std::move(pcm);
    return push(std::move(job));
}

bool EncoderStage::close(BeforeCommit beforeCommit) {
    Job job;
    job.kind = Job::Close;
    job.beforeCommit = std::move(beforeCommit);
    return push(std::move(job));
}

bool EncoderStage::drain() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [&] { return m_stopped || (m_jobs.empty() && !m_busy); });
    return m_error.isEmpty() && !m_stopped;
}

void EncoderStage::stop() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    m_jobs.clear();
    m_bytes = 0;
    m_wake.notify_all();
}

QString EncoderStage::error() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

bool EncoderStage::perform(Job& job, QString* error) {
    switch (job.kind) {
    case Job::Open:
        m_writer = std::move(job.writer);
        return true;
    case Job::Write: {
        const auto* samples = reinterpret_cast<const qint16*>(job.pcm.constData());
        if (m_writer && m_writer->write(samples, job.pcm.size() / 2))
            return true;
        break;
    }
    case Job::Close:
        if (!m_writer || !m_writer->finish())
            break;
        if (job.beforeCommit)
            *error = job.beforeCommit(m_writer->temporaryPath());
        if (error->isEmpty() && m_writer->commit()) {
            m_writer.reset();
            return true;
        }
        break;
    }
    if (error->isEmpty())
        *error = m_writer ? m_writer->errorString() : QStringLiteral("No audio file is open.");
    return false;
}

void EncoderStage::loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_busy = false;
            m_wake.notify_all();
            m_wake.wait(lock, [&] { return m_stopped || !m_jobs.empty(); });
            if (m_stopped)
                break;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_bytes -= job.pcm.size();
            m_busy = true;
            m_wake.notify_all();
        }
        QString error;
        if (!perform(job, &error)) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_error = error;
            m_stopped = true;
            m_jobs.clear();
            m_wake.notify_all();
        }
    }
    m_writer.reset(); // an uncommitted file is removed
}

} // namespace orasent
