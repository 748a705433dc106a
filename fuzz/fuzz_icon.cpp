#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tilvane;
    fuzz::requireStill(decode::decodeIconOrCursor({data, size}), QImage::Format_ARGB32);
    return 0;
}
