#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tilvane;
    using fuzz::require;
    const auto animation = decode::decodeGif({data, size});
    if (!animation)
        return 0;
    require(!animation->frames.empty() && animation->frames.size() <= decode::kMaxGifFrames, "frame count");
    require(decode::withinLimits(animation->screen.width(), animation->screen.height()), "screen within the limits");
    const QRect screen(QPoint(0, 0), animation->screen);
    std::int64_t indices = 0;
    for (const decode::GifFrame &frame : animation->frames) {
        require(!frame.rect.isEmpty() && screen.contains(frame.rect), "frame inside the screen");
        require(frame.indices.size() == std::size_t(frame.rect.width()) * std::size_t(frame.rect.height()),
                "one index per pixel");
        indices += std::int64_t(frame.indices.size());
    }
    require(indices <= decode::kMaxGifIndexBytes, "index bytes capped");

    // Play one loop and the start of the next, as the canvas does.
    decode::GifComposer composer(animation);
    for (std::size_t i = 0; i <= animation->frames.size(); ++i) {
        const QImage &surface = composer.compose(i % animation->frames.size());
        require(surface.size() == animation->screen, "surface of the screen size");
    }
    return 0;
}
