#include "compose/ColourPicker.h"

#include "compose/Colour.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionButton>
#include <qdrawutil.h>

namespace tilvane {

ColourPicker::ColourPicker(QWidget *parent) : QAbstractButton(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    // Only the mouse opens the popup: a keyboard click never reaches this.
    connect(this, &QAbstractButton::clicked, this, &ColourPicker::openPopup);
}

void ColourPicker::setColour(std::uint32_t colour)
{
    colour_ = colour;
    update();
}

void ColourPicker::openPopup()
{
    if (isPopupOpen() || inDialog_ || !isEnabled())
        return;
    if (!popup_) {
        popup_ = new ColourPopup(this);
        connect(popup_, &ColourPopup::finished, this, &ColourPicker::popupFinished);
    }
    const QScreen *where = screen();
    const QRect area = where ? where->availableGeometry() : QRect();
    popup_->open(colour_, mapToGlobal(QPoint(0, height())), area);
}

void ColourPicker::popupFinished(ColourPopup::Outcome outcome, std::uint32_t colour)
{
    switch (outcome) {
    case ColourPopup::Outcome::Cancelled:
        return;
    case ColourPopup::Outcome::Chosen:
        takeColour(colour);
        return;
    case ColourPopup::Outcome::OtherColours:
        break;
    }
    if (!colourDialog_)
        return;
    // Black is the dialog's own starting point, so it is not preset.
    const std::optional<std::uint32_t> preset = colour == 0 ? std::nullopt : std::optional(colour);
    inDialog_ = true;
    QPointer<ColourPicker> self(this);
    const auto chosen = colourDialog_(window(), preset);
    if (!self)
        return;
    inDialog_ = false;
    // The dialog knows no transparency: only the colour bits count.
    if (chosen)
        takeColour(*chosen & 0x00FFFFFFu);
}

void ColourPicker::takeColour(std::uint32_t colour)
{
    setColour(colour);
    emit colourChanged(colour);
}

void ColourPicker::keyPressEvent(QKeyEvent *event)
{
    // A button would click on Space and move the focus on arrows; the picker
    // does neither, so keys go on as for any control that ignores them.
    event->ignore();
}

void ColourPicker::keyReleaseEvent(QKeyEvent *event)
{
    event->ignore();
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

    // The focus rectangle goes under the swatch: some styles tint its inside,
    // and the swatch must show the colour as it is.
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        // Shown whenever the picker has the focus, not only after keyboard use.
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }

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
}

} // namespace tilvane
