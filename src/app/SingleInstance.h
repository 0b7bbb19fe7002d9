#pragma once
// One Orasent per user: the first start owns a name on the session bus and takes the requests of
// later starts; without a session bus a lock file in the working folder keeps a second program
// out of the folder whose state files the first one writes.
#include "app/HandOver.h"

#include <QObject>
#include <QString>
#include <memory>

class QLockFile;

namespace orasent {

class HandOverReceiver;

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        First,      // this process runs the reader
        HandedOver, // the running one took the request: exit 0
        Refused,    // another one runs and could not be asked: exit 1 with message()
    };

    // `serviceName` is the bus name the first start owns.
    explicit SingleInstance(QString serviceName = defaultServiceName(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // Claims the bus name, or the lock file "Orasent.lock" in the working folder when there is no
    // session bus; or hands `request` to the program that holds it.
    Outcome claim(const HandOver& request);
    QString message() const { return m_message; }
    bool onSessionBus() const { return m_onBus; }

    static QString defaultServiceName() { return QStringLiteral("org.orasent.Orasent"); }
    static QString objectPath() { return QStringLiteral("/org/orasent/Orasent"); }
    static QString lockFileName() { return QStringLiteral("Orasent.lock"); }
    static QString runningHereMessage() {
        return QStringLiteral("Orasent is already running in this folder.");
    }

signals:
    // A later start's request, as it arrives (also inside a nested event loop).
    void received(const orasent::HandOver& request);

private:
    Outcome claimBus(const HandOver& request);
    Outcome claimLock();
    Outcome sendToRunning(const HandOver& request);

    QString m_serviceName;
    QString m_message;
    bool m_onBus = false;
    std::unique_ptr<HandOverReceiver> m_receiver;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace orasent
