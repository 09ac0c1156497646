#pragma once

#include <cstdint>

// The listener's volume, 0 to 100, as a factor on the samples: the cubic
// taper of desktop mixers, (volume / 100)^3, so equal steps sound alike.
float gainForVolume(int volume);

// Scales 16-bit little-endian samples by gain (0 to 1), rounded to nearest
// and saturated; a gain of 1 leaves them untouched, bit for bit.
void applyGain(std::uint8_t* samples, int byteCount, float gain);
