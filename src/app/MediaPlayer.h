#pragma once
// The reader as a media player of the desktop (MPRIS 2): headset buttons, media keys and the
// desktop's media widgets reach it through "org.mpris.MediaPlayer2.orasent".
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace orasent {

struct PlayerMetadata {
    QString title; // the document's title, else its file name
    QString author;
    QString chapter; // where the document's contents give one
    QString file;    // absolute path; empty with nothing loaded
    bool operator==(const PlayerMetadata& o) const {
        return title == o.title && author == o.author && chapter == o.chapter && file == o.file;
    }
    bool operator!=(const PlayerMetadata& o) const { return !(*this == o); }
};

// What the player does; the reader window carries it out.
class PlayerControls {
public:
    virtual ~PlayerControls() = default;
    virtual void play() = 0;     // continuous play on
    virtual void pause() = 0;    // continuous play off and silence, as Stop
    virtual void next() = 0;     // Talk
    virtual void previous() = 0; // Talk's right button: the sentence before
    virtual void stop() = 0;     // Stop
    virtual void raise() = 0;    // show the reader window
    virtual void quit() = 0;     // as Quit
    virtual void openFile(const QString& absolutePath) = 0;
    virtual bool isPlaying() const = 0; // speaking, or continuous play on
    virtual PlayerMetadata metadata() const = 0;
};

// The MPRIS map for `data`: track id, title, artist, album.
QVariantMap mprisMetadata(const PlayerMetadata& data);

class MediaPlayerService : public QObject {
    Q_OBJECT
public:
    explicit MediaPlayerService(PlayerControls& controls, QObject* parent = nullptr);
    ~MediaPlayerService() override;

    // Owns the player's name and object on the session bus; false without one.
    bool publish();
    // Tells the desktop what changed since the last call (status, metadata).
    void refresh();

    PlayerControls& controls() { return m_controls; }
    QString playbackStatus() const;
    QVariantMap metadata() const { return mprisMetadata(m_controls.metadata()); }

    static QString serviceName() { return QStringLiteral("org.mpris.MediaPlayer2.orasent"); }
    static QString objectPath() { return QStringLiteral("/org/mpris/MediaPlayer2"); }

private:
    PlayerControls& m_controls;
    bool m_published = false;
    QString m_lastStatus;
    PlayerMetadata m_lastMetadata;
};

} // namespace orasent
