// Feeds arbitrary bytes to the icon reader as an icon file, PE or NE
// executable: counting, choosing, decoding and scaling every icon, and the
// checks of PNG images, each of which a stand-in decoder turns down in turn
// so that the fall-back to the next best image is walked too.
#include "Icons.h"
#include "Limits.h"

#include <algorithm>
#include <cstdlib>

namespace {

// What every checked PNG image promises its decoder.
void checkPromises(const icons::PngImage& png)
{
    const bool sides =
        png.width >= 1 && png.width <= icons::maxImageSide && png.height >= 1 && png.height <= icons::maxImageSide;
    // Rows of 256 pixels at 64 bits, each after its filter byte.
    const bool rows = png.inflatedSize >= 2 && png.inflatedSize <= 256u * (1 + 256 * 8);
    bool inside = !png.compressedData.empty();
    for (const icons::ByteRange& data : png.compressedData)
        inside = inside && data.offset <= png.bytes.size() && data.length <= png.bytes.size() - data.offset;
    if (!sides || !rows || !inside) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const icons::IconReader reader({data, size});
    const int count = reader.count();
    int decoded = 0;
    const icons::PngDecodeFunction decoder = [&decoded](const icons::PngImage& png) -> std::optional<icons::Image> {
        checkPromises(png);
        if (decoded++ % 2 == 0) return std::nullopt;
        return icons::Image{png.width, png.height,
                            std::vector<std::uint32_t>(static_cast<std::size_t>(png.width) * png.height, 0xFF808080u)};
    };
    // A page of icons per input keeps runs fast; the index past the end matters too.
    for (int index = 0; index < std::min(count, 8); ++index) {
        reader.icon(index);
        reader.icon(index, decoder);
    }
    reader.icon(count);
    return 0;
}
