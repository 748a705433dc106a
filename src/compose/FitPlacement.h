#pragma once
// Where a picture goes on the canvas, and how it is scaled to get there:
// natural size and centred when it fits, otherwise shrunk with its
// proportions kept; never enlarged.

#include <QImage>
#include <QRect>
#include <QSize>

namespace tilvane {

inline constexpr QSize kCanvasSize{102, 102};

// The centring is done in two integer steps (first for a side that fits, then
// for the shrink), so an odd leftover can put the picture one pixel before
// the exact centre: 200 x 99 lands at y 25 with 27 rows below, not 26.
// Negative sizes count as 0.
QRect fitPlacement(QSize picture, QSize area = kCanvasSize);

// Area-averaging on screens of more than 16 bits per pixel; on shallower ones
// rows and columns are dropped, since blended colours would only dither.
Qt::TransformationMode scalingModeForScreen();

// The picture at size, ready to blit: opaque pictures as RGB32, pictures with
// transparency premultiplied. Null for an empty size.
QImage scaleForPlacement(const QImage &picture, QSize size, Qt::TransformationMode mode);

} // namespace tilvane
