#include "Require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace tilvane;
    fuzz::requireStill(decode::decodePcx({data, size}), QImage::Format_RGB32);
    return 0;
}
