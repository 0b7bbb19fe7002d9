#pragma once
// The one thread that speaks Festival's voices, through the helper process (FestivalLink). A
// job is sent phrase by phrase (FliteText's phrases: Festival reads the same 8-bit text), and
// each phrase's audio and word events go out as soon as its reply comes; a purge is honoured
// while a reply is awaited, and a played stream keeps at most kMaxAheadUsecs of audio ahead of
// the output. Runs of a script the voice cannot read are spoken in their place by espeak-ng's
// voice for that script (ForeignSpeech.h). The helper starts with the first job and ends when
// it is no longer wanted and the work in hand is done, or with the thread.
#include "engine/ForeignSpeech.h"
#include "engine/SynthesisWorker.h"
#include "engine/festival/FestivalProtocol.h"

#include <QObject>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace orasent {

class FestivalLink;
class FliteText;

class FestivalBackend : public QObject, public SynthesisBackend {
    Q_OBJECT
public:
    static FestivalBackend& instance();
    ~FestivalBackend() override;

    bool isReady() const override { return true; }
    void submit(SynthesisJob job) override;
    void purge(const void* owner, int stream) override;
    void forget(const void* owner) override;
    void consumedUsecs(qint64 usecs) override;

    // False: a Festival voice is no longer chosen, so the helper ends once idle; true keeps it.
    void setWanted(bool wanted);
    // The helper's process id, or 0 while none runs.
    qint64 helperPid() const;
    // Voices are read from this folder instead of Debian's (for tests).
    void setVoicesFolder(const QString& folder);

    static constexpr qint64 kMaxAheadUsecs = 4000000;
    // The helper's speed in thousandths for the words a minute a job asks for.
    static quint32 speedPermille(const QString& identifier, int wordsPerMinute);

signals:
    // A job of `owner` failed (the helper stopped, a voice did not load ...); raised on the
    // Festival thread.
    void failed(quintptr owner, const QString& reason);
    // The helper ended because it was no longer wanted; raised on the Festival thread.
    void helperEnded();

private:
    FestivalBackend();
    using Step = SpeechStep;
    void run();
    void runJob(const SynthesisJob& job, FestivalLink& link);
    Step speakText(const SynthesisJob& job, FestivalLink& link, qint64* frames, QString* error);
    festival::SpeakRequest requestFor(const SynthesisJob& job, const FliteText& text);
    Step speakFestival(const SynthesisJob& job, FestivalLink& link, int begin, int end,
                       qint64* frames, QString* error);
    struct Outgoing;
    Step send(Outgoing& out, const festival::PhraseReply& reply, const QVector<TimedEvent>& events,
              QString* error);
    Step speakForeign(const SynthesisJob& job, const ForeignRun& run, qint64* frames,
                      QString* error);
    bool cancelled(const SynthesisJob& job);
    void addAhead(const SynthesisJob& job, qint64 usecs);
    bool waitForRoom(const SynthesisJob& job);

    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_jobDone;
    std::deque<SynthesisJob> m_jobs;
    bool m_quit = false;
    bool m_wanted = true;
    const void* m_runningOwner = nullptr;
    QHash<const void*, int> m_purgedThrough;
    QString m_voicesFolder;
    FestivalLink* m_link = nullptr; // the thread's, while it runs
    std::mutex m_aheadMutex;
    std::condition_variable m_aheadWake;
    qint64 m_aheadUsecs = 0;
};

} // namespace orasent
