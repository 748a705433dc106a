// Windows bitmap files: uncompressed 1, 4, 8, 24 and 32 bits per pixel only.

#include "compose/decode/Binary.h"
#include "compose/decode/Dib.h"
#include "compose/decode/Picture.h"

namespace tilvane::decode {

using namespace detail;

QImage decodeBmp(Bytes bytes)
{
    constexpr std::size_t kFileHeader = 14;
    if (!has(bytes, 0, kFileHeader) || bytes[0] != 'B' || bytes[1] != 'M')
        return {};
    DibHeader header;
    if (!readDibHeader(bytes, kFileHeader, header))
        return {};
    // Compressed bitmaps (run-length, bit fields, embedded JPEG or PNG) are
    // not shown, and neither are depths outside the supported set.
    if (header.compression != 0 || header.planes != 1 || !isSupportedDepth(header.bitCount))
        return {};
    // Negative heights are top-down bitmaps; a negative width is nonsense.
    const bool topDown = header.height < 0;
    const std::int64_t width = header.width;
    const std::int64_t height = topDown ? -header.height : header.height;
    if (!withinLimits(width, height))
        return {};

    const std::size_t tableAt = kFileHeader + header.headerSize;
    const std::size_t entrySize = header.headerSize == 12 ? 3 : 4;
    const std::uint32_t declaredOffset = le32(bytes, 10);
    std::vector<QRgb> palette;
    std::size_t pixelsAt = tableAt;
    if (header.bitCount <= 8) {
        const std::size_t full = std::size_t{1} << header.bitCount;
        std::size_t count = header.coloursUsed == 0 ? full : std::min<std::size_t>(header.coloursUsed, full);
        // Some writers store a shorter table than the depth implies and say so
        // only through the pixel offset.
        if (declaredOffset > tableAt)
            count = std::min(count, (declaredOffset - tableAt) / entrySize);
        if (!has(bytes, tableAt, count * entrySize))
            return {};
        palette = readColourTable(bytes, tableAt, count, entrySize);
        pixelsAt = tableAt + count * entrySize;
    }
    // An offset that points into the headers is not believed.
    if (declaredOffset >= pixelsAt)
        pixelsAt = declaredOffset;

    // The whole pixel array must be in the file before anything is allocated,
    // so a short file claiming a large picture costs nothing.
    const std::int64_t needed = dibPixelBytes(width, height, header.bitCount);
    if (!has(bytes, pixelsAt, static_cast<std::size_t>(needed)))
        return {};

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    readDibRows(bytes, pixelsAt, header.bitCount, palette, topDown, image);
    return image;
}

} // namespace tilvane::decode
