#pragma once
// The last stage of an export: a thread of its own that encodes audio into files while the
// stages before it synthesize and resample the next sentences. Work reaches it through a
// bounded queue, so the slowest stage sets the pace and memory stays small. A file is opened on
// the caller's thread, handed over, fed, and closed by a job that may write its tags before it
// is renamed into place.
#include "export/AudioFileWriter.h"

#include <QByteArray>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace orasent {

class EncoderStage {
public:
    // Runs on the encoder thread after the file is finished and before its rename; returns an
    // error message, empty when all is well.
    using BeforeCommit = std::function<QString(const QString& temporaryPath)>;

    EncoderStage();
    // Stops at once: files not yet committed are removed.
    ~EncoderStage();
    EncoderStage(const EncoderStage&) = delete;
    EncoderStage& operator=(const EncoderStage&) = delete;

    // Each returns false once the stage has failed or stopped (then see error()); they wait
    // while the queue is full.
    bool open(std::unique_ptr<AudioFileWriter> writer);
    bool write(QByteArray pcm); // 16-bit mono at the open file's rate
    bool close(BeforeCommit beforeCommit = {});
    // Waits until everything queued is done; false when something failed.
    bool drain();
    // From any thread: drops the queue and the open file.
    void stop();
    QString error() const;

private:
    struct Job {
        enum Kind { Open, Write, Close } kind = Write;
        std::unique_ptr<AudioFileWriter> writer;
        QByteArray pcm;
        BeforeCommit beforeCommit;
    };
    bool push(Job job);
    void loop();
    bool perform(Job& job, QString* error);

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    qint64 m_bytes = 0;
    bool m_busy = false;
    bool m_stopped = false;
    QString m_error;
    std::unique_ptr<AudioFileWriter> m_writer; // the encoder thread's
    std::thread m_thread;
};

} // namespace orasent
