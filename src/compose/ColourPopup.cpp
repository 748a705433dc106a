#include "compose/ColourPopup.h"

#include "compose/Colour.h"
#include "compose/Palette.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <qdrawutil.h>

#include <algorithm>

namespace tilvane {
namespace {

constexpr int kRows = (kPaletteSize + kPaletteColumns - 1) / kPaletteColumns;
constexpr int kEdge = ColourPopup::kEdgeWidth;
const char *const kOtherColoursText = "其它颜色...";

} // namespace

ColourPopup::ColourPopup(QWidget *parent) : QWidget(parent, Qt::Popup | Qt::FramelessWindowHint)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    // A popup is never the active window, and the names must still show.
    setAttribute(Qt::WA_AlwaysShowToolTips);
}

ColourPopup::~ColourPopup()
{
    if (open_)
        qApp->removeEventFilter(this);
}

int ColourPopup::boxSize()
{
    return std::max(18, 7 + 2 * kEdge);
}

int ColourPopup::entryHeight() const
{
    return std::max(boxSize(), fontMetrics().height() + 4 * kEdge);
}

QRect ColourPopup::gridRect() const
{
    // The raised frame, then a margin of the edge width around the grid.
    const int inset = 2 * kEdge;
    return QRect(inset, inset, kPaletteColumns * boxSize(), kRows * boxSize());
}

QSize ColourPopup::sizeHint() const
{
    const QRect grid = gridRect();
    return QSize(grid.right() + 1 + 2 * kEdge, grid.bottom() + 1 + kEdge + entryHeight() + 2 * kEdge);
}

QRect ColourPopup::itemRect(int item) const
{
    if (item >= 0 && item < kPaletteSize) {
        const QRect grid = gridRect();
        return QRect(grid.left() + (item % kPaletteColumns) * boxSize(),
                     grid.top() + (item / kPaletteColumns) * boxSize(), boxSize(), boxSize());
    }
    if (item == kOtherItem) {
        // Across the whole width inside the frame.
        const int top = gridRect().bottom() + 1 + kEdge;
        return QRect(kEdge, top, sizeHint().width() - 2 * kEdge, entryHeight());
    }
    return {};
}

int ColourPopup::itemAt(const QPoint &pos) const
{
    const QRect grid = gridRect();
    if (grid.contains(pos)) {
        const int index = (pos.y() - grid.top()) / boxSize() * kPaletteColumns + (pos.x() - grid.left()) / boxSize();
        return index < kPaletteSize ? index : kNoItem;
    }
    return itemRect(kOtherItem).contains(pos) ? kOtherItem : kNoItem;
}

int ColourPopup::navigate(int item, int key)
{
    const bool backward = key == Qt::Key_Left || key == Qt::Key_Up;
    const bool forward = key == Qt::Key_Right || key == Qt::Key_Down;
    if (!backward && !forward)
        return item;
    if (item < 0 || item > kOtherItem)
        return kOtherItem;
    if (item == kOtherItem)
        return backward ? kPaletteSize - 1 : 0;
    int next = item;
    switch (key) {
    case Qt::Key_Left: next = item - 1; break;
    case Qt::Key_Right: next = item + 1; break;
    case Qt::Key_Up: next = item - kPaletteColumns; break;
    case Qt::Key_Down: next = item + kPaletteColumns; break;
    }
    // Leaving the grid on any side, or going down where the last row has no
    // box, reaches the entry below the grid.
    return next >= 0 && next < kPaletteSize ? next : kOtherItem;
}

QPoint ColourPopup::placeOnScreen(const QRect &popup, const QRect &screen)
{
    QPoint place = popup.topLeft();
    if (popup.right() > screen.right())
        place.rx() -= popup.right() - screen.right();
    if (place.x() < screen.left())
        place.setX(screen.left());
    if (popup.bottom() > screen.bottom())
        place.ry() -= popup.bottom() - screen.bottom();
    if (place.y() < screen.top())
        place.setY(screen.top());
    return place;
}

void ColourPopup::open(std::uint32_t startColour, const QPoint &anchor, const QRect &screenArea)
{
    if (open_)
        return;
    start_ = startColour;
    tentative_ = startColour;
    highlight_ = kNoItem;
    const int index = paletteIndexOf(startColour);
    sunken_ = index >= 0 ? index : kOtherItem;
    pressed_ = false;

    // A top-level popup does not take its owner's font and colours by itself.
    if (QWidget *owner = parentWidget()) {
        setFont(owner->font());
        setPalette(owner->palette());
    }
    const QSize size = sizeHint();
    const QPoint place = screenArea.isValid() ? placeOnScreen(QRect(anchor, size), screenArea) : anchor;
    setGeometry(QRect(place, size));

    open_ = true;
    // Switching to another application cancels; that shows only application-wide.
    qApp->installEventFilter(this);
    show();
    setFocus(Qt::PopupFocusReason);
}

void ColourPopup::setHighlight(int item)
{
    if (item < 0 || item > kOtherItem || item == highlight_)
        return;
    highlight_ = item;
    if (item < kPaletteSize)
        tentative_ = colourPalette()[size_t(item)].colour;
    update();
}

void ColourPopup::confirm()
{
    if (highlight_ == kOtherItem)
        finish(Outcome::OtherColours, start_, false);
    else
        finish(Outcome::Chosen, tentative_, false);
}

void ColourPopup::cancel()
{
    finish(Outcome::Cancelled, start_, false);
}

void ColourPopup::finish(Outcome outcome, std::uint32_t colour, bool hiding)
{
    if (!open_)
        return;
    open_ = false;
    pressed_ = false;
    qApp->removeEventFilter(this);
    QToolTip::hideText();
    if (!hiding)
        hide();
    emit finished(outcome, colour);
}

void ColourPopup::hideEvent(QHideEvent *event)
{
    // Closed from outside (another popup, the application losing the screen):
    // nothing was confirmed.
    finish(Outcome::Cancelled, start_, true);
    QWidget::hideEvent(event);
}

bool ColourPopup::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ApplicationStateChange && open_) {
        const auto state = static_cast<QApplicationStateChangeEvent *>(event)->applicationState();
        if (state != Qt::ApplicationActive)
            cancel();
    }
    return QWidget::eventFilter(watched, event);
}

bool ColourPopup::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const int item = itemAt(help->pos());
        if (item >= 0 && item < kPaletteSize) {
            QToolTip::showText(help->globalPos(), paletteColourName(item), this, itemRect(item));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ColourPopup::mousePressEvent(QMouseEvent *event)
{
    // Unlike an ordinary popup, a press outside does not close it: the
    // release decides, so that a whole click is needed.
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    pressed_ = true;
    setHighlight(itemAt(event->position().toPoint()));
}

void ColourPopup::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void ColourPopup::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    setHighlight(itemAt(event->position().toPoint()));
}

void ColourPopup::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !pressed_)
        return;
    const QPoint pos = event->position().toPoint();
    if (rect().contains(pos)) {
        setHighlight(itemAt(pos));
        confirm();
    } else {
        cancel();
    }
}

void ColourPopup::keyPressEvent(QKeyEvent *event)
{
    // Every key stays here: the popup is modal while it is open.
    event->accept();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        setHighlight(navigate(highlight_, event->key()));
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        confirm();
        break;
    case Qt::Key_Escape:
        cancel();
        break;
    default:
        break;
    }
}

void ColourPopup::keyReleaseEvent(QKeyEvent *event)
{
    event->accept();
}

void ColourPopup::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Button));
    qDrawWinPanel(&painter, rect(), pal, false);

    const auto &colours = colourPalette();
    for (int i = 0; i < kPaletteSize; ++i) {
        const QRect box = itemRect(i);
        if (i == highlight_)
            qDrawWinPanel(&painter, box, pal, false);
        else if (i == sunken_)
            qDrawWinPanel(&painter, box, pal, true);
        const QRect swatch = box.adjusted(kEdge + 1, kEdge + 1, -(kEdge + 1), -(kEdge + 1));
        painter.fillRect(swatch, pal.color(QPalette::Dark));
        painter.fillRect(swatch.adjusted(1, 1, -1, -1), toQColor(colours[size_t(i)].colour));
    }

    const QRect entry = itemRect(kOtherItem);
    if (highlight_ == kOtherItem)
        qDrawWinPanel(&painter, entry, pal, false);
    else if (sunken_ == kOtherItem)
        qDrawWinPanel(&painter, entry, pal, true);
    painter.setPen(pal.color(QPalette::ButtonText));
    painter.drawText(entry, Qt::AlignCenter | Qt::TextSingleLine, QString::fromUtf8(kOtherColoursText));
}

} // namespace tilvane
