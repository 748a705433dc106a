#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tilvane;
    // The canvas's own box, so the DCT scaling path is the one exercised.
    const QSize box(102, 102);
    const QImage image = decode::decodeJpeg({data, size}, box);
    fuzz::requireStill(image, QImage::Format_RGB32);
    return 0;
}
