#pragma once

#include <cstdint>

#include "Frame.h"

namespace mp3 {

// One granule/channel's scale factors, in the order requantisation uses them:
// long bands 0..21; or short bands 0..12 x windows 0..2; or, for mixed
// blocks, long bands 0..7 then short bands 3..12 x windows.
using ScaleFactors = std::int32_t[39];

// Bit lengths of the lower (row 0) and upper (row 1) bands by
// scalefac_compress (ISO/IEC 11172-3, 2.4.2.7).
extern const std::int32_t slenTable[2][16];

// Reads the scale factors at the reader's position and returns the bits read.
// A granule-1 group whose scfsi bit is set is not in the bitstream: it keeps the
// values granule 0 of the same channel left in the array (ISO/IEC 11172-3,
// 2.4.3.4), so a channel must keep its own array across its two granules.
int decodeScaleFactors(BitReaderState& reader, ScaleFactors& scaleFactors, const GranuleInfo& granule);

} // namespace mp3
