#include "compose/HyperlinkBox.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <qdrawutil.h>

namespace tilvane {

HyperlinkBox::HyperlinkBox(QWidget *parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void HyperlinkBox::setCaption(const QString &text)
{
    caption_ = text;
    update();
}

void HyperlinkBox::setRaisedEdge(bool on)
{
    raisedEdge_ = on;
    update();
}

QColor HyperlinkBox::textColour() const
{
    if (hovered_)
        return QColor(192, 192, 192);
    if (visited_)
        return QColor(128, 0, 0);
    return QColor(0, 0, 255);
}

void HyperlinkBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    QRect textRect = rect();
    if (raisedEdge_) {
        // The dialog-style edge: a two-pixel raised bevel.
        qDrawWinPanel(&painter, rect(), palette(), false);
        textRect.adjust(2, 2, -2, -2);
    }
    painter.setPen(textColour());
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void HyperlinkBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !opener_)
        return;
    if (opener_(target_)) {
        visited_ = true;
        update();
    }
}

void HyperlinkBox::enterEvent(QEnterEvent *)
{
    hovered_ = true;
    update();
}

void HyperlinkBox::leaveEvent(QEvent *)
{
    hovered_ = false;
    update();
}

} // namespace tilvane
