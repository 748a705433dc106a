// Telling the format by the first bytes, and the limits every decoder shares.

#include "compose/decode/Picture.h"

#include "compose/decode/Binary.h"

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
    const int w = picture.width();
    const int h = picture.height();
    const int width = w <= area.width() ? w : area.width();
    const int height = h <= area.height() ? h : area.height();
    if (w <= area.width() && h <= area.height())
        return {width, height};
    const double f = std::min(static_cast<double>(width) / w, static_cast<double>(height) / h);
    return {static_cast<int>(w * f), static_cast<int>(h * f)};
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
        picture.still = decodeJpeg(bytes, fitTarget);
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
    return picture;
}

} // namespace tilvane::decode
