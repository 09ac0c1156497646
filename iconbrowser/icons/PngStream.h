#pragma once

#include "Icons.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace icons {

// One pass of Adam7 interlacing (ISO/IEC 15948, 8.2): the pixels from
// (x0, y0) on, every dx-th column of every dy-th row.
struct InterlacePass {
    int x0, y0, dx, dy;

    // How many columns and rows of an image of `width` x `height` the pass holds.
    int columns(int width) const { return width > x0 ? (width - x0 + dx - 1) / dx : 0; }
    int rows(int height) const { return height > y0 ? (height - y0 + dy - 1) / dy : 0; }
};

inline constexpr std::array<InterlacePass, 7> adam7Passes{
    {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}};
// A plain image read as one pass.
inline constexpr InterlacePass wholeImage{0, 0, 1, 1};

// Checks a PNG stream (ISO/IEC 15948): the signature, an IHDR first whose
// size is within maxImageSide and whose depth, colour type and methods are
// ones the standard defines, whole chunks up to IEND (at most maxPngChunks),
// at least one IDAT, and no critical chunk the standard does not know. Nothing when any check fails.
std::optional<PngImage> readPngStream(std::span<const std::uint8_t> stream);

// Whether the bytes start with the PNG signature.
bool isPngStream(std::span<const std::uint8_t> bytes);

} // namespace icons
