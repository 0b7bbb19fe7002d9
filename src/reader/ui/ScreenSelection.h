#pragma once
// The full-screen picture of the screen over which the user drags a rectangle to read. Escape
// (or a click without a drag) cancels.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace orasent {

class ScreenSelection : public QWidget {
    Q_OBJECT
public:
    explicit ScreenSelection(const QImage& picture, QWidget* parent = nullptr);

    // Shows the picture over the whole of `screenGeometry`.
    void showOver(const QRect& screenGeometry);

signals:
    // The rectangle in the picture's own pixels.
    void selected(const QRect& pictureRect);
    void cancelled();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QRect dragged() const { return QRect(m_from, m_to).normalized(); }
    QRect toPicture(const QRect& onScreen) const;
    void end(bool accept);

    QImage m_picture;
    QPoint m_from;
    QPoint m_to;
    bool m_dragging = false;
    bool m_ended = false;
};

} // namespace orasent
