#pragma once

#include <cstdint>
#include <vector>

namespace icons {

// Pixels as 0xAARRGGBB, not premultiplied, rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

} // namespace icons
