#pragma once

#include "Icons.h"

#include <optional>

namespace icons {

// Reads one icon image: a device-independent bitmap (BITMAPINFOHEADER, 1, 4,
// 8, 24 or 32 bits per pixel, uncompressed) followed by its AND mask, or a
// PNG stream that passes readPngStream's checks. Nothing outside `range` is read; an image that does not fit in
// it, or whose header is out of bounds, gives nothing.
std::optional<DecodedImage> decodeImage(const ByteSource& source, ByteRange range);

} // namespace icons
