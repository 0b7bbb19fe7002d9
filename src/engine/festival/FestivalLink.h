#pragma once
// Orasent's end of the helper process that runs Festival: starts it when needed, sends it one
// phrase at a time and reads its reply. Used on the Festival thread only (FestivalBackend); the
// process id may be read anywhere.
#include "engine/festival/FestivalProtocol.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

class QProcess;

namespace orasent {

class FestivalLink {
public:
    FestivalLink();
    ~FestivalLink();
    FestivalLink(const FestivalLink&) = delete;
    FestivalLink& operator=(const FestivalLink&) = delete;

    enum class Result { Reply, Cancelled, Failed };
    // Sends the phrase (starting the helper when none runs) and waits for its reply, asking
    // `cancelled` between short waits. A cancelled phrase's reply is dropped when it comes.
    // Failed: the helper could not start or stopped; `*error` says so and the next phrase starts
    // a new one.
    Result speak(festival::SpeakRequest request, const std::function<bool()>& cancelled,
                 festival::PhraseReply* reply, QString* error);
    // Ends the helper: end of input first, then a kill if it does not leave.
    void stop();
    bool isRunning() const { return m_pid.load() != 0; }
    qint64 pid() const { return m_pid.load(); }

private:
    QString start();

    std::unique_ptr<QProcess> m_process;
    festival::FrameReader m_reader;
    std::uint32_t m_lastId = 0;
    std::atomic<qint64> m_pid{0};
};

} // namespace orasent
