#include "Thumbnail.h"

#include "CommandLine.h"
#include "Icons.h"
#include "PngCodec.h"

#include <utility>

namespace glintextract {

namespace {

// File managers ask for 128 to 1024; no icon image is larger than 256.
constexpr int largestThumbnail = 4096;

} // namespace

int writeThumbnail(const char* sizeText, const char* input, const char* output)
{
    const auto size = positiveNumber(sizeText, largestThumbnail);
    if (!size) return usage("SIZE must be a whole number from 1 to 4096");
    const icons::IconReader reader{std::filesystem::path(input)};
    if (reader.count() == 0) {
        if (checkReadable(input)) std::fprintf(stderr, "glint-extract: %s holds no icon\n", input);
        return exitUnreadable;
    }
    const icons::ImageChoice choice{icons::ImageChoice::Rule::SmallestAtLeast, *size};
    const auto image = reader.image(0, choice, icons::decodePngPixels);
    if (!image) {
        std::fprintf(stderr, "glint-extract: %s: its icon has no readable image\n", input);
        return exitUnreadable;
    }
    const auto png = icons::encodePng(icons::shrinkToFit(std::move(std::get<icons::Image>(*image)), *size));
    return !png.empty() && writeWholeFile(output, png) ? 0 : exitUnreadable;
}

} // namespace glintextract
