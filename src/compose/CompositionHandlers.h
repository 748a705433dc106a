#pragma once
// The composition handlers: moving the active overlay, its text and colour,
// its font, and the canvas background.

#include "app/MainWindow.h"

namespace tilvane {

// Moving: the active overlay is worked out afresh from 文字1/文字2 each time.
void moveActiveOverlay(MainWindow &window, int dx, int dy);
void moveLeft(MainWindow &window, const EventArgs &);
void moveRight(MainWindow &window, const EventArgs &);
void moveUp(MainWindow &window, const EventArgs &);
void moveDown(MainWindow &window, const EventArgs &);
void moveLeftByKey(MainWindow &window, const EventArgs &args);
void moveRightByKey(MainWindow &window, const EventArgs &args);
void moveUpByKey(MainWindow &window, const EventArgs &args);
void moveDownByKey(MainWindow &window, const EventArgs &args);
void moveByAnyArrowKey(MainWindow &window, const EventArgs &args);

// Text and colour.
void copyTextToOverlay1(MainWindow &window, const EventArgs &);
void copyTextToOverlay2(MainWindow &window, const EventArgs &);
void applyTextColourToOverlay1(MainWindow &window, const EventArgs &);
void applyTextColourToOverlay2(MainWindow &window, const EventArgs &);

// Font.
void fontOfOverlay1(MainWindow &window, const EventArgs &);
void fontOfOverlay2(MainWindow &window, const EventArgs &);

// Background.
void chooseBackgroundPicture(MainWindow &window, const EventArgs &);
void applyBackgroundColour(MainWindow &window, const EventArgs &);
// The exit step: forgets the picture file name the last choice read.
void releasePictureNameSlot();

} // namespace tilvane
