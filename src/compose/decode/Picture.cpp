// Telling the format by the first bytes, and the limits every decoder shares.

#include "compose/decode/Picture.h"

#include "compose/decode/Binary.h"

#include <algorithm>

namespace tilvane::decode {

using namespace detail;

bool withinLimits(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxDimension && height <= kMaxDimension
        && width * height <= kMaxPixels;
}

QSize fittedSize(QSize picture, QSize area)
{
    if (!picture.isValid() || !area.isValid() || picture.isEmpty() || area.isEmpty())
        return {};
    return fitPlacement(picture, area).size();
}

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

Format sniffFormat(Bytes b)
{
    if (b.size() < 6)
        return Format::None;
    if (b[0] == 'B' && b[1] == 'M')
        return Format::Bmp;
    if (b[0] == 0xFF && b[1] == 0xD8)
        return Format::Jpeg;
    if (le16(b, 0) == 0 && le16(b, 2) == 1 && le16(b, 4) > 0)
        return Format::Icon;
    if (le16(b, 0) == 0 && le16(b, 2) == 2 && le16(b, 4) > 0)
        return Format::Cursor;
    if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F' && b[3] == '8' && (b[4] == '7' || b[4] == '9') && b[5] == 'a')
        return Format::Gif;
    if (b[0] == 0x0A && b[1] <= 5 && b[2] == 0x01 && b[3] == 0x08)
        return Format::Pcx8;
    if (b[0] == 0x0A && b[1] == 0x03 && b[2] == 0x01 && b[3] == 0x01)
        return Format::Pcx1;
    return Format::None;
}

DecodedPicture decodePicture(Bytes bytes, QSize fitTarget)
{
    DecodedPicture picture;
    switch (sniffFormat(bytes)) {
    case Format::None:
        break;
    case Format::Bmp:
        picture.still = decodeBmp(bytes);
        break;
    case Format::Jpeg:
        picture.still = decodeJpeg(bytes, fitTarget, &picture.storedSize);
        break;
    case Format::Icon:
    case Format::Cursor:
        picture.still = decodeIconOrCursor(bytes);
        break;
    case Format::Gif:
        if (auto animation = decodeGif(bytes)) {
            GifComposer composer(animation);
            picture.still = composer.compose(0).copy();
            if (animation->frames.size() > 1)
                picture.animation = std::move(animation);
        }
        break;
    case Format::Pcx8:
    case Format::Pcx1:
        picture.still = decodePcx(bytes);
        break;
    }
    if (picture.still.isNull())
        return {};
    if (!picture.storedSize.isValid())
        picture.storedSize = picture.still.size();
    return picture;
}

} // namespace tilvane::decode
