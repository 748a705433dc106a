#pragma once
// Device-independent bitmaps: the pixel layout shared by BMP files and the
// entries of icons and cursors.

#include "compose/decode/Picture.h"

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tilvane::decode::detail {

struct DibHeader {
    std::size_t headerSize = 0;  // 12 for the old core header, else 40..124
    std::int64_t width = 0;
    std::int64_t height = 0;     // signed, as stored (negative: top-down)
    int planes = 0;
    int bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
};

// Reads the info header at `at`. False when it is cut short or its size is not
// one of the known header sizes (12, 40, 52, 56, 108, 124).
bool readDibHeader(Bytes bytes, std::size_t at, DibHeader &header);

// Bytes per stored row: rows are padded to a multiple of 4 bytes.
std::int64_t dibStride(std::int64_t width, int bitCount);

// True for the depths this program shows: 1, 4, 8 (through the colour table),
// 24 and 32.
bool isSupportedDepth(int bitCount);

// Reads up to `count` colour table entries at `at` (3 bytes each after a core
// header, else 4); entries missing from the file are left out.
std::vector<QRgb> readColourTable(Bytes bytes, std::size_t at, std::size_t count, std::size_t entrySize);

// Fills image (width × rows, 32-bit, already allocated) from uncompressed rows
// at `at`. Palette indices past the table give black. The caller has made
// sure that all rows lie inside bytes.
void readDibRows(Bytes bytes, std::size_t at, int bitCount, const std::vector<QRgb> &palette, bool topDown,
                 QImage &image);

// Bytes that rows rows of the given width and depth take, the last row's
// padding not required.
std::int64_t dibPixelBytes(std::int64_t width, std::int64_t rows, int bitCount);

} // namespace tilvane::decode::detail
