#pragma once

#include <cstdint>

namespace icons {

// Bounds that keep a hostile file from making the reader allocate or loop without end.

// The largest icon image the formats describe (a 0 in a directory byte means 256).
inline constexpr int maxImageSide = 256;
// No valid image needs more: 256 x 256 at 32 bits with its mask is about 270 KB.
inline constexpr std::uint64_t maxImageBytes = 2u << 20;
// All the images of one icon written out together: a dozen large images fit many times over.
inline constexpr std::uint64_t maxIconFileBytes = 16u << 20;
// A group lists the images of one icon; real ones hold a dozen or so.
inline constexpr int maxGroupImages = 256;
// Icon counts and indices are 16-bit signed in the browser.
inline constexpr int maxIconCount = 32767;

} // namespace icons
