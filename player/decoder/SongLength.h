#pragma once

#include <cstdint>

namespace mp3 {

// The player's estimate of a song's length: the low 32 bits of the frame
// count, taken as signed, times 1/38.28 seconds per frame, truncated.
inline int estimateSongSeconds(std::int64_t frames)
{
    auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(frames));
    return static_cast<int>(low * (1.0 / 38.28));
}

} // namespace mp3
