#pragma once
// Colours are stored as 0x00BBGGRR (red in the low byte); 0xFF000000 stands
// for the button-face colour wherever a background is concerned.

#include <QColor>
#include <QPalette>
#include <cstdint>

namespace tilvane {

inline constexpr std::uint32_t kButtonFaceColour = 0xFF000000u;

inline constexpr std::uint32_t colourRef(int red, int green, int blue)
{
    return std::uint32_t(red & 0xFF) | std::uint32_t(green & 0xFF) << 8 | std::uint32_t(blue & 0xFF) << 16;
}

// A text or swatch colour: the low 24 bits as stored, nothing translated.
inline QColor toQColor(std::uint32_t ref)
{
    return QColor(int(ref & 0xFF), int((ref >> 8) & 0xFF), int((ref >> 16) & 0xFF));
}

// A background colour: the button-face marker resolves through the palette.
inline QColor backgroundToQColor(std::uint32_t ref, const QPalette &palette)
{
    return ref == kButtonFaceColour ? palette.color(QPalette::Button) : toQColor(ref);
}

inline std::uint32_t fromQColor(const QColor &c) { return colourRef(c.red(), c.green(), c.blue()); }

} // namespace tilvane
