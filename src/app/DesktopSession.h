#pragma once
// The running Orasent on the desktop: takes the requests of later starts, reads the selection or
// the clipboard, answers the media keys, and quits as Quit does when the session ends or a
// signal asks it to.
#include "app/HandOver.h"
#include "app/MediaPlayer.h"
#include "app/SelectionText.h"

#include <QList>
#include <QObject>
#include <QTimer>

namespace orasent {

class EnglishF;
class SpeechWindow;

class DesktopSession : public QObject, public PlayerControls {
    Q_OBJECT
public:
    DesktopSession(EnglishF& reader, SpeechWindow& tts, QObject* parent = nullptr);
    ~DesktopSession() override;

    // Offers the media player on the session bus; false without one.
    bool publishPlayer();
    // Requests arriving before this, or while a dialog waits for an answer, wait until then.
    // A quit asked for before is carried out now.
    void setReady();
    bool hasQuit() const { return m_phase == Phase::Quitting; }

    enum class Phase {
        Starting,      // the reader is still reading its state and text: requests wait
        QuitWhenReady, // asked to quit while starting: it quits once ready
        Ready,
        Quitting,
    };
    Phase phase() const { return m_phase; }

    // Runs `request` when the reader is free (at once when it is; a request to read text once
    // no other one has followed for a moment).
    void take(const orasent::HandOver& request);
    // Runs it now.
    void run(const HandOver& request);

    // Saves as Quit does: the state file, the speech settings; a running export is cancelled
    // and its temporaries removed; then the event loop ends. Before setReady() (the reader still
    // loading) it waits for it. It never waits for a person: open dialogs are cancelled and
    // messages go to the log.
    void quitAsQuit();

    // PlayerControls
    void play() override;
    void pause() override;
    void next() override;
    void previous() override;
    void stop() override;
    void raise() override;
    void quit() override;
    void openFile(const QString& absolutePath) override;
    bool isPlaying() const override;
    PlayerMetadata metadata() const override;

signals:
    void phaseChanged(orasent::DesktopSession::Phase phase);

private:
    void runPending();
    void finishQuit();
    void readText(SelectionSource source);

    EnglishF& m_reader;
    SpeechWindow& m_tts;
    MediaPlayerService* m_player = nullptr;
    QList<HandOver> m_pending;
    QTimer m_settle;            // a burst of read requests settles before the text is read
    void setPhase(Phase phase); // the one place that changes it
    Phase m_phase = Phase::Starting;
    bool m_waitingForPrompts = false;
    bool m_toldClipboardInstead = false;
};

} // namespace orasent
