#include "compose/decode/Dib.h"

#include "compose/decode/Binary.h"

namespace tilvane::decode::detail {

bool readDibHeader(Bytes bytes, std::size_t at, DibHeader &header)
{
    if (!has(bytes, at, 4))
        return false;
    const std::uint32_t size = le32(bytes, at);
    if (size == 12) {
        // The old core header: 16-bit sizes, no compression, no colour count.
        if (!has(bytes, at, 12))
            return false;
        header.headerSize = 12;
        header.width = le16(bytes, at + 4);
        header.height = static_cast<std::int16_t>(le16(bytes, at + 6));
        header.planes = le16(bytes, at + 8);
        header.bitCount = le16(bytes, at + 10);
        header.compression = 0;
        header.coloursUsed = 0;
        return true;
    }
    // The Windows info header and its later extensions (V2, V3, V4, V5); the
    // extra fields of the longer ones matter only for compressed bitmaps.
    if (size != 40 && size != 52 && size != 56 && size != 108 && size != 124)
        return false;
    if (!has(bytes, at, size))
        return false;
    header.headerSize = size;
    header.width = le32s(bytes, at + 4);
    header.height = le32s(bytes, at + 8);
    header.planes = le16(bytes, at + 12);
    header.bitCount = le16(bytes, at + 14);
    header.compression = le32(bytes, at + 16);
    header.coloursUsed = le32(bytes, at + 32);
    return true;
}

std::int64_t dibStride(std::int64_t width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

std::int64_t dibPixelBytes(std::int64_t width, std::int64_t rows, int bitCount)
{
    if (rows <= 0)
        return 0;
    return dibStride(width, bitCount) * (rows - 1) + (width * bitCount + 7) / 8;
}

bool isSupportedDepth(int bitCount)
{
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 24 || bitCount == 32;
}

std::vector<QRgb> readColourTable(Bytes bytes, std::size_t at, std::size_t count, std::size_t entrySize)
{
    std::vector<QRgb> table;
    if (at > bytes.size())
        return table;
    count = std::min(count, (bytes.size() - at) / entrySize);
    table.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = at + i * entrySize;
        table.push_back(qRgb(bytes[e + 2], bytes[e + 1], bytes[e]));
    }
    return table;
}

void readDibRows(Bytes bytes, std::size_t at, int bitCount, const std::vector<QRgb> &palette, bool topDown,
                 QImage &image)
{
    const int width = image.width();
    const int rows = image.height();
    const auto stride = static_cast<std::size_t>(dibStride(width, bitCount));
    const QRgb black = qRgb(0, 0, 0);
    auto colour = [&](unsigned index) { return index < palette.size() ? palette[index] : black; };
    for (int r = 0; r < rows; ++r) {
        const std::uint8_t *src = bytes.data() + at + static_cast<std::size_t>(r) * stride;
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(topDown ? r : rows - 1 - r));
        switch (bitCount) {
        case 1:
            for (int x = 0; x < width; ++x)
                dst[x] = colour((src[x >> 3] >> (7 - (x & 7))) & 1u);
            break;
        case 4:
            for (int x = 0; x < width; ++x)
                dst[x] = colour((x & 1) ? (src[x >> 1] & 0x0Fu) : (src[x >> 1] >> 4));
            break;
        case 8:
            for (int x = 0; x < width; ++x)
                dst[x] = colour(src[x]);
            break;
        case 24:
            for (int x = 0; x < width; ++x, src += 3)
                dst[x] = qRgb(src[2], src[1], src[0]);
            break;
        case 32:
            // The fourth byte is unused in an uncompressed bitmap: shown opaque.
            for (int x = 0; x < width; ++x, src += 4)
                dst[x] = qRgb(src[2], src[1], src[0]);
            break;
        default:
            break;
        }
    }
}

} // namespace tilvane::decode::detail
