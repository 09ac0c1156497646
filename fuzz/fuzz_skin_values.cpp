// Reads arbitrary bytes as a skin's rectangle and colour values: reading
// ends, counts what it read, and leaves the numbers it did not read alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "SkinValues.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    SkinRect rect{-7, -7, -7, -7};
    const int count = parseSkinRect(text, rect);
    if (count < 0 || count > 4) std::abort();
    const std::int32_t* numbers[] = {&rect.x, &rect.y, &rect.width, &rect.height};
    for (int i = count; i < 4; ++i)
        if (*numbers[i] != -7) std::abort();
    SkinColourValue colour;
    if (parseSkinColour(text, colour) > 3 || (packedColour(colour) >> 24) != 0) std::abort();
    return 0;
}
