#pragma once

#include <QByteArray>
#include <QImage>

namespace tilvane {

// Bytes per row of a 24-bit bitmap: ((24 * width + 31) / 32) * 4.
constexpr qint64 bmpRowStride(qint64 width) { return ((24 * width + 31) / 32) * 4; }

// A complete 24-bit uncompressed, bottom-up Windows BMP file image; empty for
// a null image.
QByteArray encodeBmp24(const QImage &image);

} // namespace tilvane
