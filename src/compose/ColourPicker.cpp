#include "compose/ColourPicker.h"

#include "compose/Colour.h"

#include <QPainter>
#include <QStyleOptionButton>
#include <qdrawutil.h>

namespace tilvane {

ColourPicker::ColourPicker(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
}

void ColourPicker::setColour(std::uint32_t colour)
{
    colour_ = colour;
    update();
}

void ColourPicker::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    if (isDown())
        option.state |= QStyle::State_Sunken;
    else
        option.state |= QStyle::State_Raised;
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    // Drop-down arrow at the right edge, like a scroll bar's down arrow.
    const int arrowWidth = std::min(12, width() / 3);
    const QRect arrowRect(width() - arrowWidth - 3, 3, arrowWidth, height() - 6);
    QStyleOption arrowOption;
    arrowOption.initFrom(this);
    arrowOption.rect = arrowRect;
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrowOption, &painter, this);

    // Swatch in a sunken frame; a disabled picker shows the button face.
    const QRect swatch(4, 4, std::max(0, arrowRect.left() - 6), std::max(0, height() - 8));
    if (swatch.width() > 2 && swatch.height() > 2) {
        const QBrush fill(isEnabled() ? toQColor(colour_) : palette().color(QPalette::Button));
        qDrawShadePanel(&painter, swatch, palette(), true, 1, &fill);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace tilvane
