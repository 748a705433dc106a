// Icons (.ico) and cursors (.cur): one image of the file, as a 32-bit picture
// with its transparency.

#include "compose/decode/Binary.h"
#include "compose/decode/Dib.h"
#include "compose/decode/Picture.h"

namespace tilvane::decode {

using namespace detail;

namespace {

constexpr std::size_t kDirectoryHeader = 6;
constexpr std::size_t kEntrySize = 16;

// The image the program shows: the first entry 32 pixels wide with 16 or more
// colours (0 stands for 256 or more and does not count), else the last entry.
std::size_t chooseEntry(Bytes bytes, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = kDirectoryHeader + i * kEntrySize;
        if (bytes[e] == 32 && bytes[e + 2] >= 16)
            return i;
    }
    return count - 1;
}

QImage decodePngEntry(Bytes entry)
{
    // Width and height sit in the IHDR chunk right after the signature; the
    // limits hold before the PNG reader allocates anything.
    if (!has(entry, 0, 24) || entry[12] != 'I' || entry[13] != 'H' || entry[14] != 'D' || entry[15] != 'R')
        return {};
    const auto be32 = [&](std::size_t at) {
        return (std::uint32_t{entry[at]} << 24) | (std::uint32_t{entry[at + 1]} << 16)
            | (std::uint32_t{entry[at + 2]} << 8) | std::uint32_t{entry[at + 3]};
    };
    if (!withinLimits(be32(16), be32(20)))
        return {};
    QImage image = QImage::fromData(entry.data(), static_cast<int>(entry.size()), "PNG");
    if (image.isNull())
        return {};
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage decodeBitmapEntry(Bytes entry)
{
    DibHeader header;
    if (!readDibHeader(entry, 0, header) || header.headerSize == 12)
        return {};
    if (header.compression != 0 || !isSupportedDepth(header.bitCount))
        return {};
    // The stored height covers the colour bitmap and the mask below it; an
    // entry is never top-down.
    const std::int64_t width = header.width;
    const std::int64_t height = header.height / 2;
    if (!withinLimits(width, height))
        return {};

    std::vector<QRgb> palette;
    std::size_t pixelsAt = header.headerSize;
    if (header.bitCount <= 8) {
        const std::size_t full = std::size_t{1} << header.bitCount;
        const std::size_t count =
            header.coloursUsed == 0 ? full : std::min<std::size_t>(header.coloursUsed, full);
        if (!has(entry, pixelsAt, count * 4))
            return {};
        palette = readColourTable(entry, pixelsAt, count, 4);
        pixelsAt += count * 4;
    }
    const auto colourBytes = static_cast<std::size_t>(dibStride(width, header.bitCount) * height);
    const std::size_t maskAt = pixelsAt + colourBytes;
    const auto maskStride = static_cast<std::size_t>(dibStride(width, 1));
    if (!has(entry, pixelsAt, colourBytes))
        return {};
    // A 32-bit entry can carry its transparency in its alpha alone; the others
    // need the mask in full.
    const bool maskPresent = has(entry, maskAt, static_cast<std::size_t>(dibPixelBytes(width, height, 1)));
    if (!maskPresent && header.bitCount != 32)
        return {};

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
    if (image.isNull())
        return {};
    readDibRows(entry, pixelsAt, header.bitCount, palette, false, image);

    const int w = image.width();
    const int h = image.height();
    bool alphaUsed = false;
    if (header.bitCount == 32) {
        const auto stride = static_cast<std::size_t>(dibStride(width, 32));
        for (int r = 0; r < h && !alphaUsed; ++r)
            for (int x = 0; x < w; ++x)
                if (entry[pixelsAt + static_cast<std::size_t>(r) * stride + static_cast<std::size_t>(x) * 4 + 3] != 0) {
                    alphaUsed = true;
                    break;
                }
        if (alphaUsed) {
            for (int r = 0; r < h; ++r) {
                const std::uint8_t *src = entry.data() + pixelsAt + static_cast<std::size_t>(r) * stride;
                auto *dst = reinterpret_cast<QRgb *>(image.scanLine(h - 1 - r));
                for (int x = 0; x < w; ++x)
                    dst[x] = qRgba(qRed(dst[x]), qGreen(dst[x]), qBlue(dst[x]), src[x * 4 + 3]);
            }
            return image;
        }
        if (!maskPresent)
            return {};
    }
    // AND mask: a set bit is a transparent pixel.
    for (int r = 0; r < h; ++r) {
        const std::uint8_t *mask = entry.data() + maskAt + static_cast<std::size_t>(r) * maskStride;
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(h - 1 - r));
        for (int x = 0; x < w; ++x)
            if ((mask[x >> 3] >> (7 - (x & 7))) & 1u)
                dst[x] = qRgba(qRed(dst[x]), qGreen(dst[x]), qBlue(dst[x]), 0);
    }
    return image;
}

} // namespace

QImage decodeIconOrCursor(Bytes bytes)
{
    if (!has(bytes, 0, kDirectoryHeader) || le16(bytes, 0) != 0 || (le16(bytes, 2) != 1 && le16(bytes, 2) != 2))
        return {};
    const std::size_t count = le16(bytes, 4);
    // A directory cut short is a damaged file: which entry is "last" is unknown.
    if (count == 0 || !has(bytes, kDirectoryHeader, count * kEntrySize))
        return {};
    const std::size_t e = kDirectoryHeader + chooseEntry(bytes, count) * kEntrySize;
    const std::size_t offset = le32(bytes, e + 12);
    // The directory's byte count is not trusted: the entry's own header says
    // how much it needs, read from the entry's offset up to the end of the file.
    if (offset >= bytes.size())
        return {};
    const Bytes entry = bytes.subspan(offset);
    if (has(entry, 0, 8) && entry[0] == 0x89 && entry[1] == 'P' && entry[2] == 'N' && entry[3] == 'G')
        return decodePngEntry(entry);
    return decodeBitmapEntry(entry);
}

} // namespace tilvane::decode
