#include "compose/FitPlacement.h"

#include "compose/decode/Picture.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace tilvane {

QRect fitPlacement(QSize picture, QSize area) { return decode::fitPlacement(picture, area); }

Qt::TransformationMode scalingModeForScreen()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int depth = screen ? screen->depth() : 24;
    return depth > 16 ? Qt::SmoothTransformation : Qt::FastTransformation;
}

QImage scaleForPlacement(const QImage &picture, QSize size, Qt::TransformationMode mode)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    // Premultiplied (or opaque) pixels are what the painter blits fastest.
    const QImage source = picture.convertToFormat(
        picture.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (source.size() == size)
        return source;
    return source.scaled(size, Qt::IgnoreAspectRatio, mode);
}

} // namespace tilvane
