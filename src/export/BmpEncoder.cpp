#include "export/BmpEncoder.h"

namespace tilvane {
namespace {

void put16(char *p, quint16 v)
{
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}

void put32(char *p, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

QByteArray encodeBmp24(const QImage &source)
{
    if (source.isNull())
        return {};
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = bmpRowStride(width);
    const qint64 imageSize = stride * height;
    const qint64 fileSize = 54 + imageSize;
    if (fileSize > 0x7FFFFFFF)
        return {};

    QByteArray out(int(fileSize), '\0');
    char *p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, quint32(fileSize));
    put32(p + 10, 54);
    put32(p + 14, 40);
    put32(p + 18, quint32(width));
    put32(p + 22, quint32(height)); // positive: bottom row first
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 30, 0);
    put32(p + 34, quint32(imageSize));
    // Resolutions and colour counts stay 0.

    for (qint64 row = 0; row < height; ++row) {
        const auto *src = reinterpret_cast<const QRgb *>(image.constScanLine(int(height - 1 - row)));
        char *dst = p + 54 + row * stride;
        for (qint64 x = 0; x < width; ++x) {
            dst[3 * x] = char(qBlue(src[x]));
            dst[3 * x + 1] = char(qGreen(src[x]));
            dst[3 * x + 2] = char(qRed(src[x]));
        }
    }
    return out;
}

} // namespace tilvane
