// Feeds arbitrary bytes to the thumbnailer's path: the icon reader's choice
// of the smallest image at least a size, PNG images decoded on zlib (their
// data inflated once, never past their rows), the shrink to fit, the PNG encoding, and the icon file
// written from an icon's stored images. The input's length picks the size,
// so the seeds are whole files.
#include "Icons.h"
#include "PngCodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int side = 1 + static_cast<int>(size % 256);
    const icons::IconReader reader({data, size});
    if (reader.count() == 0) return 0;
    const auto image = reader.image(0, {icons::ImageChoice::Rule::SmallestAtLeast, side}, icons::decodePngPixels);
    if (image) {
        const icons::Image fitted = icons::shrinkToFit(std::get<icons::Image>(*image), side);
        if (fitted.width > side || fitted.height > side ||
            fitted.pixels.size() != static_cast<std::size_t>(fitted.width) * fitted.height)
            std::abort();
        if (icons::encodePng(fitted).empty()) std::abort();
    }
    const auto stored = reader.storedImages(0);
    const auto file = icons::iconFileBytes(stored);
    // What was written reads back as one icon of the same images.
    if (!stored.empty() && icons::IconReader(file).storedImages(0).size() != stored.size()) std::abort();
    return 0;
}
