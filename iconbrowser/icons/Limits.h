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
// Chunks in one PNG image: an encoder splits its data into a few chunks of 8 KB
// or more; a stream of thousands of tiny or empty ones is made to waste time.
inline constexpr int maxPngChunks = 2048;
// Bytes of images that failed to decode, per file: past this a file's images
// are no longer tried, so images made to fail, or many entries naming one
// such image, cost a few milliseconds, however many icons ask for them.
inline constexpr std::uint64_t maxFailedImageBytes = 4u << 20;
// Icon counts and indices are 16-bit signed in the browser.
inline constexpr int maxIconCount = 32767;

} // namespace icons
