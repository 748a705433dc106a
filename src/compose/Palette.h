#pragma once
// The 32 named colours of the colour picker's popup, in the order they are
// shown (row by row, 7 to a row).

#include <array>
#include <cstdint>

class QString;

namespace tilvane {

struct NamedColour {
    const char *name;     // UTF-8
    std::uint32_t colour; // 0x00BBGGRR
};

inline constexpr int kPaletteSize = 32;
inline constexpr int kPaletteColumns = 7;

const std::array<NamedColour, kPaletteSize> &colourPalette();

// Index of the first palette entry with exactly this colour, or -1.
int paletteIndexOf(std::uint32_t colour);

QString paletteColourName(int index);

} // namespace tilvane
