#include "PngCodec.h"

#include <png.h>

namespace icons {

std::optional<Image> decodePngPixels(const PngImage& png)
{
    // The decoder would inflate the whole stream, however far past the rows
    // it reaches, before it gives up: it only gets one checked first.
    if (!inflatesToItsRows(png)) return std::nullopt;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.bytes.data(), png.bytes.size())) return std::nullopt;
    if (static_cast<int>(image.width) != png.width || static_cast<int>(image.height) != png.height) {
        png_image_free(&image);
        return std::nullopt;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    Image pixels{png.width, png.height, std::vector<std::uint32_t>(static_cast<std::size_t>(png.width) * png.height)};
    for (std::size_t i = 0; i < pixels.pixels.size(); ++i) {
        const std::uint8_t* p = &rgba[i * 4];
        pixels.pixels[i] = static_cast<std::uint32_t>(p[3]) << 24 | p[0] << 16 | p[1] << 8 | p[2];
    }
    return pixels;
}

} // namespace icons
