#pragma once
// "Read selection" and "Stop" as the desktop's own shortcuts, through the GlobalShortcuts portal
// where the desktop offers it (KDE Plasma): the user sees and changes the keys in the desktop's
// settings. Nothing happens where there is no such portal.
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QVariantMap>

namespace orasent {

class ShortcutPortal : public QObject {
    Q_OBJECT
public:
    explicit ShortcutPortal(QObject* parent = nullptr);

    // Asks for a session and binds the two shortcuts, once the portal answers; false without a
    // session bus.
    bool registerShortcuts();

    static QString readSelectionId() { return QStringLiteral("read-selection"); }
    static QString stopId() { return QStringLiteral("stop"); }

signals:
    // The id of the shortcut the user pressed.
    void activated(const QString& id);

private slots:
    void onSessionCreated(uint response, const QVariantMap& results);
    void onBound(uint response, const QVariantMap& results);
    void onActivated(const QDBusObjectPath& session, const QString& id, qulonglong timestamp,
                     const QVariantMap& options);

private:
    // The request object the portal answers on, for a handle token of ours.
    QString requestPath(const QString& token) const;
    void createSession();
    void callWithResponse(const QString& method, const QVariantList& arguments,
                          const QString& token, const char* slot);

    QString m_session;
};

} // namespace orasent
