#pragma once
// What every harness asserts of a decoder's result beyond "no crash": a
// broken promise aborts, which libFuzzer reports like a crash.

#include "compose/decode/Picture.h"

#include <cstdio>
#include <cstdlib>

namespace tilvane::fuzz {

inline void require(bool ok, const char *what)
{
    if (!ok) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

// A decoded still is null, or within the limits and of the promised format.
inline void requireStill(const QImage &image, QImage::Format format)
{
    if (image.isNull())
        return;
    require(decode::withinLimits(image.width(), image.height()), "picture within the limits");
    require(image.format() == format, "picture of the promised format");
}

} // namespace tilvane::fuzz
