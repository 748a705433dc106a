#include "compose/TextOverlay.h"

#include "compose/Colour.h"
#include "compose/FontRecord.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

namespace tilvane {

TextOverlay::TextOverlay(QWidget *parent) : QWidget(parent)
{
    // No background of its own: Qt paints the parent and lower siblings first.
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void TextOverlay::setLeft(int value)
{
    value = std::clamp(value, -kMaxCoordinate, kMaxCoordinate);
    if (value != x())
        move(value, y());
}

void TextOverlay::setTop(int value)
{
    value = std::clamp(value, -kMaxCoordinate, kMaxCoordinate);
    if (value != y())
        move(x(), value);
}

void TextOverlay::setPlace(int left, int top, int width, int height)
{
    setGeometry(std::clamp(left, -kMaxCoordinate, kMaxCoordinate), std::clamp(top, -kMaxCoordinate, kMaxCoordinate),
                std::clamp(width, 0, kMaxCoordinate), std::clamp(height, 0, kMaxCoordinate));
}

void TextOverlay::setCaption(const QString &text)
{
    caption_ = text;
    refresh();
}

void TextOverlay::setTextColour(std::uint32_t colour)
{
    textColour_ = colour;
    refresh();
}

void TextOverlay::setFontRecord(const std::optional<QByteArray> &record)
{
    fontRecord_ = record;
    refresh();
}

void TextOverlay::setEffect(int value)
{
    effect_ = std::clamp(value, 0, 3);
    refresh();
}

void TextOverlay::setHorizontalAlignment(int value)
{
    hAlign_ = std::clamp(value, 0, 2);
    refresh();
}

void TextOverlay::setVerticalAlignment(int value)
{
    vAlign_ = std::clamp(value, 0, 2);
    refresh();
}

void TextOverlay::refresh()
{
    // Qt rebuilds the area from the bottom up (parent, lower siblings, this).
    update();
}

int TextOverlay::layoutFlags() const
{
    int flags = Qt::TextDontClip | Qt::TextShowMnemonic;
    flags |= hAlign_ == 1 ? Qt::AlignHCenter : hAlign_ == 2 ? Qt::AlignRight : Qt::AlignLeft;
    if (wordWrap_ == 1) {
        // Wrapped text always starts at the top, whatever the vertical alignment.
        flags |= Qt::TextWordWrap | Qt::AlignTop;
    } else {
        flags |= Qt::TextSingleLine;
        flags |= vAlign_ == 1 ? Qt::AlignVCenter : vAlign_ == 2 ? Qt::AlignBottom : Qt::AlignTop;
    }
    return flags;
}

QFont TextOverlay::effectiveFont() const { return drawingFont(fontRecord_, font()); }

void TextOverlay::paintEvent(QPaintEvent *)
{
    if (caption_.isEmpty())
        return;
    QString text = caption_;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));

    QPainter painter(this);
    painter.setFont(effectiveFont());
    const int flags = layoutFlags();
    QRect rect(0, 0, width(), height());
    switch (effect_) {
    case 1:
        painter.setPen(Qt::white);
        painter.drawText(rect.translated(1, 1), flags, text);
        break;
    case 2:
        painter.setPen(Qt::white);
        painter.drawText(rect, flags, text);
        rect.translate(1, 1);
        break;
    case 3:
        painter.setPen(Qt::black);
        painter.drawText(rect.translated(2, 2), flags, text);
        break;
    default:
        break;
    }
    painter.setPen(toQColor(textColour_));
    painter.drawText(rect, flags, text);
}

} // namespace tilvane
