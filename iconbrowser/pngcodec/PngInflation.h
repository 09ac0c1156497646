#pragma once

#include "PngStream.h"

namespace icons {

// Whether the image data of `png` is one sound zlib stream (RFC 1950) that
// inflates to exactly the rows its header declares. It stops as soon as the
// data inflates past them, so its own cost is bounded by the image's size
// however far the data would inflate.
bool inflatesToItsRows(const PngImage& png);

} // namespace icons
