#include "app/MediaPlayer.h"

#include "app/HandOver.h"
#include "app/MprisAdaptors.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QUrl>

namespace orasent {

QVariantMap mprisMetadata(const PlayerMetadata& data) {
    QVariantMap map;
    // One track: the document. Its id changes with the file, so widgets notice a new one.
    const QString id =
        data.file.isEmpty()
            ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
            : QStringLiteral("/org/orasent/Orasent/document/%1").arg(qHash(data.file), 0, 16);
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(id)));
    if (data.file.isEmpty())
        return map;
    // As audio books do: the chapter is the track, the document the album.
    map.insert(QStringLiteral("xesam:title"), data.chapter.isEmpty() ? data.title : data.chapter);
    map.insert(QStringLiteral("xesam:album"), data.title);
    if (!data.author.isEmpty())
        map.insert(QStringLiteral("xesam:artist"), QStringList{data.author});
    map.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(data.file).toString());
    return map;
}

MprisRootAdaptor::MprisRootAdaptor(MediaPlayerService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

QStringList MprisRootAdaptor::supportedMimeTypes() const {
    return {
        QStringLiteral("text/plain"),
        QStringLiteral("application/epub+zip"),
        QStringLiteral("application/pdf"),
        QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.document"),
        QStringLiteral("application/vnd.oasis.opendocument.text"),
        QStringLiteral("text/html"),
        QStringLiteral("text/markdown")};
}

void MprisRootAdaptor::Raise() {
    m_service->controls().raise();
}

void MprisRootAdaptor::Quit() {
    m_service->controls().quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MediaPlayerService* service)
    : QDBusAbstractAdaptor(service), m_service(service) {}

void MprisPlayerAdaptor::Next() {
    m_service->controls().next();
    m_service->refresh();
}

void MprisPlayerAdaptor::Previous() {
    m_service->controls().previous();
    m_service->refresh();
}

void MprisPlayerAdaptor::Pause() {
    m_service->controls().pause();
    m_service->refresh();
}

void MprisPlayerAdaptor::PlayPause() {
    if (m_service->controls().isPlaying())
        m_service->controls().pause();
    else
        m_service->controls().play();
    m_service->refresh();
}

void MprisPlayerAdaptor::Stop() {
    m_service->controls().stop();
    m_service->refresh();
}

void MprisPlayerAdaptor::Play() {
    m_service->controls().play();
    m_service->refresh();
}

void MprisPlayerAdaptor::Seek(qlonglong) {} // CanSeek is false: ignored, as the interface says

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath&, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString& uri) {
    QString why;
    const std::optional<QString> file = fileOfUri(uri, &why);
    if (!file) {
        qWarning("orasent: ignored a request to open a URI: %s", qPrintable(why));
        return;
    }
    m_service->controls().openFile(*file);
}

MediaPlayerService::MediaPlayerService(PlayerControls& controls, QObject* parent)
    : QObject(parent), m_controls(controls) {
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
}

MediaPlayerService::~MediaPlayerService() {
    if (!m_published)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(serviceName());
    bus.unregisterObject(objectPath());
}

bool MediaPlayerService::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(objectPath(), this, QDBusConnection::ExportAdaptors))
        return false;
    m_published = bus.registerService(serviceName());
    if (!m_published) {
        bus.unregisterObject(objectPath());
        return false;
    }
    m_lastStatus = playbackStatus();
    m_lastMetadata = m_controls.metadata();
    return true;
}

QString MediaPlayerService::playbackStatus() const {
    if (m_controls.isPlaying())
        return QStringLiteral("Playing");
    return m_controls.metadata().file.isEmpty() ? QStringLiteral("Stopped")
                                                : QStringLiteral("Paused");
}

void MediaPlayerService::refresh() {
    if (!m_published)
        return;
    QVariantMap changed;
    const QString status = playbackStatus();
    if (status != m_lastStatus)
        changed.insert(QStringLiteral("PlaybackStatus"), status);
    const PlayerMetadata data = m_controls.metadata();
    if (data != m_lastMetadata)
        changed.insert(QStringLiteral("Metadata"), mprisMetadata(data));
    m_lastStatus = status;
    m_lastMetadata = data;
    if (changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(objectPath(), QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

} // namespace orasent
