// PCX: 8 bits per pixel with the closing 256-colour palette, or 1 bit per
// pixel monochrome; one colour plane, run-length encoded.

#include "compose/decode/Binary.h"
#include "compose/decode/Picture.h"

#include <vector>

namespace tilvane::decode {

using namespace detail;

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kPaletteSize = 769; // the marker 0x0C and 256 RGB triples
constexpr int kLongestRun = 63;

// Decodes the run-length data as one stream into out, filling it exactly.
// A run that crosses the end of a scanline goes on into the next one, as some
// writers emit them; nothing is written past out. False when the data ends
// before out is full.
bool unpack(Bytes data, std::vector<std::uint8_t> &out)
{
    std::size_t in = 0;
    std::size_t filled = 0;
    while (filled < out.size()) {
        if (in >= data.size())
            return false;
        std::uint8_t value = data[in++];
        std::size_t run = 1;
        if ((value & 0xC0) == 0xC0) {
            run = value & 0x3F;
            if (in >= data.size())
                return false;
            value = data[in++];
        }
        run = std::min(run, out.size() - filled);
        std::fill_n(out.begin() + static_cast<std::ptrdiff_t>(filled), run, value);
        filled += run;
    }
    return true;
}

} // namespace

QImage decodePcx(Bytes bytes)
{
    if (!has(bytes, 0, kHeaderSize) || bytes[0] != 0x0A || bytes[2] != 0x01)
        return {};
    const int version = bytes[1];
    const int bitsPerPixel = bytes[3];
    const bool eightBit = bitsPerPixel == 8 && version <= 5;
    const bool oneBit = bitsPerPixel == 1 && version == 3;
    if (!eightBit && !oneBit)
        return {};
    // Several planes (16-colour and 24-bit files) are not shown.
    if (bytes[65] != 1)
        return {};
    const std::int64_t width = std::int64_t{le16(bytes, 8)} - le16(bytes, 4) + 1;
    const std::int64_t height = std::int64_t{le16(bytes, 10)} - le16(bytes, 6) + 1;
    const std::size_t bytesPerLine = le16(bytes, 66);
    if (!withinLimits(width, height))
        return {};
    // A scanline may be longer than the picture (it is often padded to an even
    // length) but never shorter.
    if (static_cast<std::int64_t>(bytesPerLine) < (width * bitsPerPixel + 7) / 8)
        return {};

    // The 8-bit palette closes the file; without its marker the colours are
    // unknown and the picture is not shown.
    std::size_t dataEnd = bytes.size();
    if (eightBit) {
        if (bytes.size() < kHeaderSize + kPaletteSize || bytes[bytes.size() - kPaletteSize] != 0x0C)
            return {};
        dataEnd = bytes.size() - kPaletteSize;
    }
    const Bytes data = bytes.subspan(kHeaderSize, dataEnd - kHeaderSize);
    // Each data byte yields at most 63 bytes, so short data cannot fill a large
    // picture: refused before anything is allocated.
    const std::int64_t unpacked = static_cast<std::int64_t>(bytesPerLine) * height;
    if (unpacked > static_cast<std::int64_t>(data.size()) * kLongestRun)
        return {};

    std::vector<std::uint8_t> lines(static_cast<std::size_t>(unpacked));
    if (!unpack(data, lines))
        return {};

    QImage image(static_cast<int>(width), static_cast<int>(height), QImage::Format_RGB32);
    if (image.isNull())
        return {};
    QRgb palette[256];
    if (eightBit) {
        const std::size_t at = bytes.size() - kPaletteSize + 1;
        for (std::size_t i = 0; i < 256; ++i)
            palette[i] = qRgb(bytes[at + i * 3], bytes[at + i * 3 + 1], bytes[at + i * 3 + 2]);
    }
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        const std::uint8_t *src = lines.data() + static_cast<std::size_t>(y) * bytesPerLine;
        auto *dst = reinterpret_cast<QRgb *>(image.scanLine(y));
        if (eightBit) {
            for (int x = 0; x < image.width(); ++x)
                dst[x] = palette[src[x]];
        } else {
            for (int x = 0; x < image.width(); ++x)
                dst[x] = ((src[x >> 3] >> (7 - (x & 7))) & 1u) ? white : black;
        }
    }
    return image;
}

} // namespace tilvane::decode
