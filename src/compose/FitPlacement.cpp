#include "compose/FitPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace tilvane {

QRect fitPlacement(QSize picture, QSize area)
{
    const int w = std::max(picture.width(), 0);
    const int h = std::max(picture.height(), 0);
    const int areaWidth = std::max(area.width(), 0);
    const int areaHeight = std::max(area.height(), 0);

    int x = 0;
    int y = 0;
    int width = areaWidth;
    int height = areaHeight;
    if (w <= areaWidth) {
        x = (areaWidth - w) / 2;
        width = w;
    }
    if (h <= areaHeight) {
        y = (areaHeight - h) / 2;
        height = h;
    }
    if (w > areaWidth || h > areaHeight) {
        // A side of 0 pixels fits and does not limit the factor (0 / 0).
        const double fx = w > 0 ? double(width) / w : 1.0;
        const double fy = h > 0 ? double(height) / h : 1.0;
        const double f = std::min(fx, fy);
        const int newWidth = int(w * f);
        const int newHeight = int(h * f);
        x += (width - newWidth) / 2;
        y += (height - newHeight) / 2;
        width = newWidth;
        height = newHeight;
    }
    return QRect(x, y, width, height);
}

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
