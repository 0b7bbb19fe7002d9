#include "engine/festival/FestivalLink.h"

#include "engine/festival/FestivalVoices.h"

#include <QProcess>

namespace orasent {

namespace {
constexpr int kPollMs = 20;
constexpr int kStartMs = 10000;
constexpr int kLeaveMs = 2000;
} // namespace

FestivalLink::FestivalLink() = default;

FestivalLink::~FestivalLink() {
    stop();
}

QString FestivalLink::start() {
    const QString program = festivalHelperProgram();
    if (program.isEmpty())
        return QStringLiteral("the Festival helper program is missing");
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->start(program, {});
    if (!m_process->waitForStarted(kStartMs)) {
        const QString reason = m_process->errorString();
        m_process.reset();
        return QStringLiteral("the Festival helper did not start (%1)").arg(reason);
    }
    m_reader = festival::FrameReader();
    m_pid = m_process->processId();
    return {};
}

void FestivalLink::stop() {
    if (!m_process)
        return;
    m_process->closeWriteChannel();
    if (!m_process->waitForFinished(kLeaveMs)) {
        m_process->kill();
        m_process->waitForFinished(kLeaveMs);
    }
    m_process.reset();
    m_pid = 0;
}

FestivalLink::Result FestivalLink::speak(festival::SpeakRequest request,
                                         const std::function<bool()>& cancelled,
                                         festival::PhraseReply* reply, QString* error) {
    if (m_process && m_process->state() != QProcess::Running)
        stop();
    if (!m_process) {
        *error = start();
        if (!error->isEmpty())
            return Result::Failed;
    }
    request.id = ++m_lastId;
    const std::string frame = festival::encodeRequest(request);
    m_process->write(frame.data(), qint64(frame.size()));
    for (;;) {
        while (const std::optional<std::string> body = m_reader.next()) {
            std::optional<festival::PhraseReply> decoded = festival::decodeReply(*body);
            if (decoded && decoded->id == request.id) {
                *reply = std::move(*decoded);
                return Result::Reply;
            }
        }
        if (cancelled())
            return Result::Cancelled;
        if (m_reader.failed() || m_process->state() != QProcess::Running) {
            *error = m_reader.failed() ? QStringLiteral("the Festival helper sent a broken reply")
                                       : QStringLiteral("the Festival helper stopped");
            stop();
            return Result::Failed;
        }
        m_process->waitForBytesWritten(0);
        m_process->waitForReadyRead(kPollMs);
        const QByteArray data = m_process->readAllStandardOutput();
        m_reader.append(data.constData(), std::size_t(data.size()));
    }
}

} // namespace orasent
