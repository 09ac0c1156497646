#pragma once

#include "Icons.h"

namespace icons {

// Resamples smoothly: each target pixel averages the source area it covers when
// shrinking, and interpolates linearly between source pixels when growing.
// Colours are weighted by alpha, so transparent pixels do not darken edges.
Image scaleSmooth(const Image& source, int width, int height);

} // namespace icons
