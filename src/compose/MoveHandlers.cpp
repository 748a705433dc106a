#include "compose/CompositionHandlers.h"

#include "compose/TextOverlay.h"

#include <QRadioButton>

namespace tilvane {
namespace {

constexpr int kStep = 2;
constexpr int kVkLeft = 37, kVkUp = 38, kVkRight = 39, kVkDown = 40;

TextOverlay *activeOverlay(MainWindow &window)
{
    // 文字1 is asked first, so it would win if both were checked.
    if (auto *first = window.control<QRadioButton>(QStringLiteral("文字1")); first && first->isChecked())
        return window.control<TextOverlay>(QStringLiteral("文字8"));
    if (auto *second = window.control<QRadioButton>(QStringLiteral("文字2")); second && second->isChecked())
        return window.control<TextOverlay>(QStringLiteral("文字7"));
    return nullptr;
}

} // namespace

void moveActiveOverlay(MainWindow &window, int dx, int dy)
{
    TextOverlay *overlay = activeOverlay(window);
    if (!overlay)
        return;
    if (dx != 0)
        overlay->setLeft(overlay->left() + dx);
    if (dy != 0)
        overlay->setTop(overlay->top() + dy);
}

void moveLeft(MainWindow &window, const EventArgs &) { moveActiveOverlay(window, -kStep, 0); }
void moveRight(MainWindow &window, const EventArgs &) { moveActiveOverlay(window, kStep, 0); }
void moveUp(MainWindow &window, const EventArgs &) { moveActiveOverlay(window, 0, -kStep); }
void moveDown(MainWindow &window, const EventArgs &) { moveActiveOverlay(window, 0, kStep); }

void moveLeftByKey(MainWindow &window, const EventArgs &args)
{
    if (args.keyCode == kVkLeft)
        moveActiveOverlay(window, -kStep, 0);
}

void moveRightByKey(MainWindow &window, const EventArgs &args)
{
    if (args.keyCode == kVkRight)
        moveActiveOverlay(window, kStep, 0);
}

void moveUpByKey(MainWindow &window, const EventArgs &args)
{
    if (args.keyCode == kVkUp)
        moveActiveOverlay(window, 0, -kStep);
}

void moveDownByKey(MainWindow &window, const EventArgs &args)
{
    if (args.keyCode == kVkDown)
        moveActiveOverlay(window, 0, kStep);
}

void moveByAnyArrowKey(MainWindow &window, const EventArgs &args)
{
    switch (args.keyCode) {
    case kVkUp: moveActiveOverlay(window, 0, -kStep); break;
    case kVkDown: moveActiveOverlay(window, 0, kStep); break;
    case kVkRight: moveActiveOverlay(window, kStep, 0); break;
    case kVkLeft: moveActiveOverlay(window, -kStep, 0); break;
    default: break;
    }
}

} // namespace tilvane
