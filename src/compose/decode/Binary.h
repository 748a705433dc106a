#pragma once
// Bounds-checked little-endian reads over a byte span, shared by the decoders.

#include "compose/decode/Picture.h"

#include <cstddef>
#include <cstdint>

namespace tilvane::decode::detail {

// True when n bytes starting at `at` lie inside bytes; never overflows.
inline bool has(Bytes bytes, std::size_t at, std::size_t n)
{
    return at <= bytes.size() && n <= bytes.size() - at;
}

// Callers check has() first; these do no checking of their own.
inline std::uint16_t le16(Bytes bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

inline std::uint32_t le32(Bytes bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | (static_cast<std::uint32_t>(bytes[at + 1]) << 8)
        | (static_cast<std::uint32_t>(bytes[at + 2]) << 16) | (static_cast<std::uint32_t>(bytes[at + 3]) << 24);
}

inline std::int32_t le32s(Bytes bytes, std::size_t at)
{
    return static_cast<std::int32_t>(le32(bytes, at));
}

} // namespace tilvane::decode::detail
