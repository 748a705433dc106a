#include "compose/Palette.h"

#include "compose/Colour.h"

#include <QString>

namespace tilvane {

const std::array<NamedColour, kPaletteSize> &colourPalette()
{
    static constexpr std::array<NamedColour, kPaletteSize> palette{{
        {"黑色", colourRef(0, 0, 0)},
        {"藏青", colourRef(0, 0, 128)},
        {"墨绿", colourRef(0, 128, 0)},
        {"深青", colourRef(0, 128, 128)},
        {"红褐", colourRef(128, 0, 0)},
        {"紫红", colourRef(128, 0, 128)},
        {"褐绿", colourRef(128, 128, 0)},
        {"浅灰", colourRef(192, 192, 192)},
        {"灰色", colourRef(128, 128, 128)},
        {"蓝色", colourRef(0, 0, 255)},
        {"绿色", colourRef(0, 255, 0)},
        {"艳青", colourRef(0, 255, 255)},
        {"红色", colourRef(255, 0, 0)},
        {"品红", colourRef(255, 0, 255)},
        {"黄色", colourRef(255, 255, 0)},
        {"白色", colourRef(255, 255, 255)},
        {"蓝灰", colourRef(128, 128, 255)},
        {"藏蓝", colourRef(88, 48, 224)},
        {"嫩绿", colourRef(128, 224, 0)},
        {"青绿", colourRef(0, 224, 128)},
        {"黄褐", colourRef(192, 96, 0)},
        {"粉红", colourRef(255, 168, 255)},
        {"嫩黄", colourRef(216, 216, 0)},
        {"银白", colourRef(236, 236, 236)},
        {"紫色", colourRef(144, 0, 255)},
        {"天蓝", colourRef(0, 136, 255)},
        {"灰绿", colourRef(128, 160, 128)},
        {"青蓝", colourRef(0, 96, 192)},
        {"橙黄", colourRef(255, 128, 0)},
        {"桃红", colourRef(255, 80, 128)},
        {"芙红", colourRef(255, 128, 192)},
        {"深灰", colourRef(96, 96, 96)},
    }};
    return palette;
}

int paletteIndexOf(std::uint32_t colour)
{
    const auto &palette = colourPalette();
    for (int i = 0; i < kPaletteSize; ++i)
        if (palette[size_t(i)].colour == colour)
            return i;
    return -1;
}

QString paletteColourName(int index)
{
    if (index < 0 || index >= kPaletteSize)
        return {};
    return QString::fromUtf8(colourPalette()[size_t(index)].name);
}

} // namespace tilvane
