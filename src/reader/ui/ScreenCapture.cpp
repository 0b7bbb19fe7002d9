#include "reader/ui/ScreenCapture.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QFile>
#include <QGuiApplication>
#include <QPixmap>
#include <QPointer>
#include <QRandomGenerator>
#include <QScreen>
#include <QUrl>

namespace orasent {

namespace {
const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");

bool isPlatform(const char* name) {
    return QGuiApplication::platformName() == QLatin1String(name);
}

bool portalReachable() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(kPortalService))
        return true;
    const QDBusReply<QStringList> startable = bus.interface()->activatableServiceNames();
    return startable.isValid() && startable.value().contains(kPortalService);
}

int dotsPerInchOf(const QScreen* screen) {
    return screen ? int(screen->logicalDotsPerInch() * screen->devicePixelRatio() + 0.5) : 96;
}
} // namespace

// The portal's answer arrives as a Response signal on a request object named by our token.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    PortalRequest(int dotsPerInch, CaptureDone done, QObject* parent)
        : QObject(parent), m_dpi(dotsPerInch), m_done(std::move(done)) {}

    void send() {
        QDBusConnection bus = QDBusConnection::sessionBus();
        const QString token =
            QStringLiteral("orasent%1").arg(QRandomGenerator::global()->generate());
        QString sender = bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        const QString request = kPortalPath + "/request/" + sender + "/" + token;
        // Listening before asking, so that a quick answer is not missed.
        bus.connect(kPortalService, request, QStringLiteral("org.freedesktop.portal.Request"),
                    QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
        QDBusMessage call = QDBusMessage::createMethodCall(
            kPortalService, kPortalPath, QStringLiteral("org.freedesktop.portal.Screenshot"),
            QStringLiteral("Screenshot"));
        call << QString()
             << QVariantMap{{QStringLiteral("handle_token"), token},
                            {QStringLiteral("interactive"), false}};
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](auto* w) {
            w->deleteLater();
            if (w->isError())
                finish({}, QStringLiteral("The desktop refused the screenshot: %1")
                               .arg(w->error().message()));
        });
    }

private slots:
    void onResponse(uint response, const QVariantMap& results) {
        if (response != 0)
            return finish({}, QStringLiteral("The screenshot was cancelled."));
        const QString path = QUrl(results.value(QStringLiteral("uri")).toString()).toLocalFile();
        const QImage picture(path);
        QFile::remove(path); // made for this reading only
        finish(picture,
               picture.isNull() ? QStringLiteral("The screenshot could not be read.") : QString());
    }

private:
    void finish(const QImage& picture, const QString& error) {
        if (m_done)
            std::exchange(m_done, nullptr)(picture, m_dpi, error);
        deleteLater();
    }

    int m_dpi;
    CaptureDone m_done;
};

CaptureSupport screenCaptureSupport() {
    if (isPlatform("xcb"))
        return {true, {}};
    if (isPlatform("wayland")) {
        if (portalReachable())
            return {true, {}};
        return {false, QStringLiteral("Reading from the screen needs the desktop's screenshot "
                                      "portal (xdg-desktop-portal), which is not running.")};
    }
    return {false, QStringLiteral("Reading from the screen is not possible on this display "
                                  "(%1): it cannot give the program a picture of the screen.")
                       .arg(QGuiApplication::platformName())};
}

void captureScreen(QScreen* screen, QObject* context, CaptureDone done) {
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (isPlatform("wayland")) {
        auto* request = new PortalRequest(dotsPerInchOf(screen), std::move(done), context);
        request->send();
        return;
    }
    const QImage picture = screen ? screen->grabWindow(0).toImage() : QImage();
    done(picture, dotsPerInchOf(screen),
         picture.isNull() ? QStringLiteral("The screen could not be read.") : QString());
}

} // namespace orasent

#include "ScreenCapture.moc"
