#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tilvane;
    const decode::DecodedPicture picture = decode::decodePicture({data, size});
    if (picture.animation) {
        fuzz::require(!picture.isNull(), "an animation has a still");
        fuzz::require(picture.animation->frames.size() > 1, "an animation has frames");
        fuzz::require(picture.still.size() == picture.animation->screen, "the still is the screen");
    }
    if (!picture.isNull())
        fuzz::require(decode::withinLimits(picture.still.width(), picture.still.height()), "within the limits");
    return 0;
}
