#pragma once

#include "Icons.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace icons {

// PNG images without a toolkit: what the thumbnailer and the image tools
// need, on zlib alone.

// Pixels at the image's own size, or nothing for a stream that does not
// decode or whose data does not inflate to exactly the rows its header
// declares (checked before the decoder sees it, so its cost stays bounded).
std::optional<Image> decodePngPixels(const PngImage& png);

// A PNG stream (ISO/IEC 15948) of the pixels, 8-bit RGBA, its data stored
// rather than compressed, for speed: a thumbnail is written once and read once.
std::vector<std::uint8_t> encodePng(const Image& image);

// Whether the data of `png` inflates to exactly the rows its header declares.
bool inflatesToItsRows(const PngImage& png);

} // namespace icons
