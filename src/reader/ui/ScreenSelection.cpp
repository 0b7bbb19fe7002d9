#include "reader/ui/ScreenSelection.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace orasent {

namespace {
constexpr int kSmallestDrag = 6; // pixels: less is a click, not a rectangle
const QColor kShade(0, 0, 0, 110);
} // namespace

ScreenSelection::ScreenSelection(const QImage& picture, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(picture) {
    setObjectName(QStringLiteral("ScreenSelection"));
    setWindowTitle(QStringLiteral("Read from Screen"));
    setAccessibleName(QStringLiteral("Read from Screen"));
    setAccessibleDescription(
        QStringLiteral("Drag a rectangle over the text to read. Escape cancels."));
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::StrongFocus);
}

void ScreenSelection::showOver(const QRect& screenGeometry) {
    setGeometry(screenGeometry);
    showFullScreen();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
}

void ScreenSelection::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), m_picture);
    const QRect chosen = dragged();
    // Everything but the rectangle is shaded, so the chosen part stands out as it is.
    QRegion shade(rect());
    if (m_dragging)
        shade -= QRegion(chosen);
    painter.setClipRegion(shade);
    painter.fillRect(rect(), kShade);
    painter.setClipping(false);
    if (m_dragging) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.drawRect(chosen.adjusted(0, 0, -1, -1));
    }
}

void ScreenSelection::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_from = m_to = event->position().toPoint();
    update();
}

void ScreenSelection::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging)
        return;
    m_to = event->position().toPoint();
    update();
}

void ScreenSelection::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_to = event->position().toPoint();
    const QRect chosen = dragged();
    if (chosen.width() < kSmallestDrag || chosen.height() < kSmallestDrag) {
        m_dragging = false; // a click: wait for a real drag
        update();
        return;
    }
    emit selected(toPicture(chosen));
    end(true);
}

void ScreenSelection::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        end(false);
    else
        QWidget::keyPressEvent(event);
}

QRect ScreenSelection::toPicture(const QRect& onScreen) const {
    const double sx = double(m_picture.width()) / std::max(1, width());
    const double sy = double(m_picture.height()) / std::max(1, height());
    const QRect scaled(int(onScreen.x() * sx), int(onScreen.y() * sy),
                       int(onScreen.width() * sx + 0.5), int(onScreen.height() * sy + 0.5));
    return scaled.intersected(m_picture.rect());
}

void ScreenSelection::end(bool accept) {
    if (m_ended)
        return;
    m_ended = true;
    if (!accept)
        emit cancelled();
    close();
}

} // namespace orasent
