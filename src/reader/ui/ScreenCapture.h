#pragma once
// A picture of the screen: grabbed with Qt on X11, asked of the desktop's screenshot portal
// (xdg-desktop-portal, over D-Bus) on Wayland. Elsewhere the reason why not, for the menu.
#include <QImage>
#include <QString>
#include <functional>

class QObject;
class QScreen;

namespace orasent {

struct CaptureSupport {
    bool available = false;
    QString reason; // when not available: a sentence for the user
};

CaptureSupport screenCaptureSupport();

// Calls `done` once with the picture (and its resolution in dots per inch), or a null image and
// a sentence saying why; on X11 before returning, on Wayland when the portal answers. Nothing
// is called once `context` is gone.
using CaptureDone = std::function<void(const QImage& picture, int dotsPerInch, QString error)>;
void captureScreen(QScreen* screen, QObject* context, CaptureDone done);

} // namespace orasent
