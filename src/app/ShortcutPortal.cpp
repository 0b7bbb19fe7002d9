#include "app/ShortcutPortal.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace orasent {

namespace {
const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");

struct PortalShortcut {
    QString id;
    QVariantMap options;
};
using PortalShortcuts = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.options;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.options;
    argument.endStructure();
    return argument;
}

PortalShortcut shortcut(const QString& id, const QString& description, const QString& keys) {
    return {id,
            {{QStringLiteral("description"), description},
             {QStringLiteral("preferred_trigger"), keys}}};
}
} // namespace

} // namespace orasent

Q_DECLARE_METATYPE(orasent::PortalShortcut)

namespace orasent {

ShortcutPortal::ShortcutPortal(QObject* parent) : QObject(parent) {
    // Qt D-Bus finds a slot's argument types by name, and a type is known by name only once
    // registered: without this the Activated signal was never connected.
    qRegisterMetaType<QDBusObjectPath>();
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
}

bool ShortcutPortal::registerShortcuts() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage version = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    version << kInterface << QStringLiteral("version");
    // The portal may have to be started first: the answer is awaited without holding up the
    // window.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(version, 10000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        if (w->isError())
            return; // no portal, or one without global shortcuts
        createSession();
    });
    return true;
}

void ShortcutPortal::createSession() {
    if (!QDBusConnection::sessionBus().connect(
            kService, kPath, kInterface, QStringLiteral("Activated"), this,
            SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)))) {
        qWarning("orasent: the desktop's shortcut presses cannot be received");
        return;
    }
    const QVariantMap options{{QStringLiteral("handle_token"), QStringLiteral("orasent_session")},
                              {QStringLiteral("session_handle_token"), QStringLiteral("orasent")}};
    callWithResponse(QStringLiteral("CreateSession"), {options}, QStringLiteral("orasent_session"),
                     SLOT(onSessionCreated(uint, QVariantMap)));
}

QString ShortcutPortal::requestPath(const QString& token) const {
    QString sender = QDBusConnection::sessionBus().baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/request/%2/%3").arg(kPath, sender, token);
}

void ShortcutPortal::callWithResponse(const QString& method, const QVariantList& arguments,
                                      const QString& token, const char* slot) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Listening before the call, so that a quick answer is not missed.
    bus.connect(kService, requestPath(token), kRequest, QStringLiteral("Response"), this, slot);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    bus.asyncCall(call);
}

void ShortcutPortal::onSessionCreated(uint response, const QVariantMap& results) {
    m_session = results.value(QStringLiteral("session_handle")).toString();
    if (response != 0 || m_session.isEmpty()) {
        qWarning("orasent: the desktop did not give a session for shortcuts (%u)", response);
        return;
    }
    const PortalShortcuts shortcuts{
        shortcut(readSelectionId(), QStringLiteral("Read selection"), QStringLiteral("CTRL+ALT+r")),
        shortcut(stopId(), QStringLiteral("Stop"), QStringLiteral("CTRL+ALT+s"))};
    const QVariantMap options{{QStringLiteral("handle_token"), QStringLiteral("orasent_bind")}};
    callWithResponse(QStringLiteral("BindShortcuts"),
                     {QVariant::fromValue(QDBusObjectPath(m_session)),
                      QVariant::fromValue(shortcuts), QString(), options},
                     QStringLiteral("orasent_bind"), SLOT(onBound(uint, QVariantMap)));
}

void ShortcutPortal::onBound(uint response, const QVariantMap&) {
    if (response != 0)
        qWarning("orasent: the desktop did not take the shortcuts (%u)", response);
}

void ShortcutPortal::onActivated(const QDBusObjectPath& session, const QString& id, qulonglong,
                                 const QVariantMap&) {
    if (session.path() != m_session)
        return;
    if (id == readSelectionId() || id == stopId())
        emit activated(id);
}

} // namespace orasent
