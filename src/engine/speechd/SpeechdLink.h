#pragma once
// One connection to speech-dispatcher, with every libspeechd call on a thread of its own: those
// calls wait for the server without a bound, so a server that dies or stops answering can never
// hold up the GUI thread. The thread connects (autospawning the server unless the socket path
// names something that is not a socket), lists the voices, then runs the commands it is given in
// order while it watches the socket for the server's end.
//
// What the thread learns reaches the owner on the owner's thread, through the Listener given at
// open(); once detach() has run, nothing more arrives.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

namespace orasent {

struct ListedVoice {
    QString module;
    QString name;
    QString language; // as the module reports it ("en-US", "fr"); may be empty
};

enum class SpeechdEvent { Begin, End, Mark, Cancel };

class SpeechdLink {
public:
    // Called on the context object's thread.
    struct Listener {
        QObject* context = nullptr;
        // Connected, with the voices of every module but "dummy"; or `ok` false: no server.
        std::function<void(bool ok, const QList<ListedVoice>& voices)> opened;
        // The server ended the connection, or a command failed.
        std::function<void()> lost;
        // spd_say gave message `msgId` to the text of `stream`.
        std::function<void(int stream, int msgId)> said;
        std::function<void(int msgId, SpeechdEvent event, const QByteArray& mark)> event;
    };

    struct Settings {
        QByteArray module;
        QByteArray voice;
        int rate = 0;   // speech-dispatcher's -100..100
        int volume = 0; // speech-dispatcher's -100..100
    };

    static std::shared_ptr<SpeechdLink> open(Listener listener);
    ~SpeechdLink();

    // Waits at most `ms` for the thread to connect or fail; true when it did. Its report is
    // posted all the same.
    bool waitOpened(int ms);

    // Queued for the thread, in order.
    void say(int stream, const Settings& settings, const QByteArray& ssml);
    void cancel();

    // Nothing more is reported; the thread runs the commands already given, closes the
    // connection and ends. With `abandon` the socket is shut down first, so that a command
    // waiting for a server that does not answer returns (and the ones after it fail).
    void detach(bool abandon);

    // Whether the server may be autospawned at `address` (SPEECHD_ADDRESS, or the default
    // socket): not when the socket path names a file that is not a socket, which a spawned
    // server would delete.
    static bool mayAutospawn();

    // Waits at most `ms` for every link's thread to have closed its connection; true when they
    // have. Run as the application ends, after its voices are gone.
    static bool waitAllClosed(int ms);

    struct State;

private:
    explicit SpeechdLink(std::shared_ptr<State> state) : m_state(std::move(state)) {}
    std::shared_ptr<State> m_state;
};

} // namespace orasent
