#include "app/SingleInstance.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QLockFile>
#include <QtGlobal>

namespace orasent {

namespace {
const QString kInterface = QStringLiteral("org.orasent.Orasent");
const QString kMethod = QStringLiteral("HandOver");
constexpr int kAnswerWaitMs = 10000; // the running program answers at once unless it hangs
} // namespace

// The bus object that takes HandOver calls; anything else sent to it is ignored and logged.
class HandOverReceiver : public QDBusVirtualObject {
public:
    explicit HandOverReceiver(SingleInstance& owner) : m_owner(owner) {}

    QString introspect(const QString&) const override {
        return QStringLiteral("<interface name=\"org.orasent.Orasent\">"
                              "<method name=\"HandOver\">"
                              "<arg name=\"request\" type=\"as\" direction=\"in\"/>"
                              "</method></interface>");
    }

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.interface() != kInterface || message.member() != kMethod)
            return false; // the bus library answers with an error
        QString why = QStringLiteral("the arguments are not a list of strings");
        std::optional<HandOver> request;
        if (message.signature() == QLatin1String("as"))
            request = decodeHandOver(message.arguments().constFirst().toStringList(), &why);
        connection.send(message.createReply());
        if (!request) {
            qWarning("orasent: ignored a request from %s: %s", qPrintable(message.service()),
                     qPrintable(why));
            return true;
        }
        // Delivered on the program's own thread, once its event loop runs: the bus may call
        // this from a thread of its own, and before the window is there to take it.
        SingleInstance* owner = &m_owner;
        QMetaObject::invokeMethod(
            owner, [owner, taken = *request] { emit owner->received(taken); },
            Qt::QueuedConnection);
        return true;
    }

private:
    SingleInstance& m_owner;
};

SingleInstance::SingleInstance(QString serviceName, QObject* parent)
    : QObject(parent), m_serviceName(std::move(serviceName)) {}

SingleInstance::~SingleInstance() {
    if (m_receiver) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterService(m_serviceName);
        bus.unregisterObject(objectPath());
    }
}

SingleInstance::Outcome SingleInstance::claim(const HandOver& request) {
    if (QDBusConnection::sessionBus().isConnected())
        return claimBus(request);
    return claimLock();
}

SingleInstance::Outcome SingleInstance::claimBus(const HandOver& request) {
    m_onBus = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    // The object first, so that a request arriving right after the name is taken finds it.
    m_receiver = std::make_unique<HandOverReceiver>(*this);
    if (!bus.registerVirtualObject(objectPath(), m_receiver.get())) {
        m_receiver.reset();
        return sendToRunning(request);
    }
    const auto reply =
        bus.interface()->registerService(m_serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return Outcome::First;
    bus.unregisterObject(objectPath());
    m_receiver.reset();
    return sendToRunning(request);
}

SingleInstance::Outcome SingleInstance::sendToRunning(const HandOver& request) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(m_serviceName, objectPath(), kInterface, kMethod);
    call << encodeHandOver(request);
    const QDBusMessage answer =
        QDBusConnection::sessionBus().call(call, QDBus::Block, kAnswerWaitMs);
    if (answer.type() == QDBusMessage::ReplyMessage)
        return Outcome::HandedOver;
    m_message = QStringLiteral("Orasent is already running, but it does not answer (%1).")
                    .arg(answer.errorMessage());
    return Outcome::Refused;
}

SingleInstance::Outcome SingleInstance::claimLock() {
    // QLockFile takes over a lock whose process has ended (or whose number now belongs to
    // another program); a running Orasent keeps its own.
    m_lock = std::make_unique<QLockFile>(lockFileName());
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return Outcome::First;
    if (m_lock->error() == QLockFile::LockFailedError) {
        m_message = runningHereMessage();
        return Outcome::Refused;
    }
    // A folder that takes no lock file (read-only, full): nothing can be written there anyway.
    qWarning("orasent: the lock file %s can not be written here", qPrintable(lockFileName()));
    m_lock.reset();
    return Outcome::First;
}

} // namespace orasent
