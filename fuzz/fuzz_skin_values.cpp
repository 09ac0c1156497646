// Reads arbitrary bytes as a skin's rectangle and colour values: reading
// ends, counts what it read, and leaves the numbers it did not read alone. A
// rectangle found to fit a face, of the largest the player loads or of any
// size, has edges whose sums stay in range (the undefined-behaviour checker
// would stop at an overflow) and on the face. The same bytes read as a whole
// Skin.ini load a layout whose rectangles all fit the face, or tell a fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Settings.h"
#include "SkinFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SkinRect rect{-7, -7, -7, -7};
    const int count = parseSkinRect(text, rect);
    if (count < 0 || count > 4) std::abort();
    const std::int32_t* numbers[] = {&rect.x, &rect.y, &rect.width, &rect.height};
    for (int i = count; i < 4; ++i)
        if (*numbers[i] != -7) std::abort();
    for (const std::int32_t side : {std::int32_t{4096}, std::int32_t{2147483647}}) {
        if (!fitsFace(rect, side, side)) continue;
        const std::int32_t right = rect.x + rect.width;
        const std::int32_t bottom = rect.y + rect.height;
        if (rect.x < 0 || right < 0 || right > side || rect.y < 0 || bottom < 0 || bottom > side) std::abort();
    }
    SkinColourValue colour;
    if (parseSkinColour(text, colour) > 3 || (packedColour(colour) >> 24) != 0) std::abort();

    const SkinLayoutReading reading = readSkinLayout(IniSections(text), "Skin.ini", 120, 90);
    if (reading.fault.empty())
        for (const SkinKey& key : skinKeys)
            if (const auto* member = std::get_if<SkinRect SkinLayout::*>(&key.member))
                if (!fitsFace(reading.layout.**member, 120, 90)) std::abort();
    return 0;
}
