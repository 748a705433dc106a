#include "compose/PictureBox.h"

#include "compose/Colour.h"
#include "compose/PicturePlayer.h"

#include <QEvent>
#include <QPainter>

namespace tilvane {

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    // The canvas fills every pixel itself; the overlays rely on that.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setBackgroundColour(std::uint32_t colour)
{
    backgroundColour_ = colour;
    update();
}

void PictureBox::showFrame(const QImage &frame, const QRect &rect)
{
    const QRect dirty = shownRect_.united(rect);
    shown_ = frame;
    shownRect_ = frame.isNull() ? QRect() : rect;
    // The overlays inside the area are repainted after the canvas, so they
    // stay on top of every frame.
    if (!dirty.isEmpty())
        update(dirty);
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundToQColor(backgroundColour_, palette()));
    // Already scaled when it was set: painting only blits.
    if (!shown_.isNull())
        painter.drawImage(shownRect_.topLeft(), shown_);
}

QImage PictureBox::snapshot()
{
    QImage image(size(), QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::black);
    render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void PictureBox::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updatePlaybackState();
}

void PictureBox::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updatePlaybackState();
}

bool PictureBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == watchedTopLevel_) {
        switch (event->type()) {
        case QEvent::WindowStateChange:
        case QEvent::Show:
        case QEvent::Hide:
            updatePlaybackState();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tilvane
