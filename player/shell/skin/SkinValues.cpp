#include "SkinFiles.h"

#include "Settings.h"

namespace {

// Reads "%d, %d, ..." into count numbers; stops at the first misfit.
int parseNumbers(std::string_view text, std::int32_t* const* numbers, int count)
{
    std::size_t at = 0;
    for (int index = 0; index < count; ++index) {
        // The format's ", " between numbers: a comma right after the number;
        // the white space after it is skipped by the number's reading.
        if (index > 0) {
            if (at >= text.size() || text[at] != ',') return index;
            ++at;
        }
        std::optional<std::int32_t> value = readDecimal(text, at);
        if (!value) return index;
        *numbers[index] = *value;
    }
    return count;
}

} // namespace

int parseSkinRect(std::string_view text, SkinRect& rect)
{
    std::int32_t* const numbers[] = {&rect.x, &rect.y, &rect.width, &rect.height};
    return parseNumbers(text, numbers, 4);
}

bool fitsFace(const SkinRect& rect, std::int32_t faceWidth, std::int32_t faceHeight)
{
    // In 64 bits no sum of two 32-bit numbers can overflow.
    const auto within = [](std::int64_t from, std::int64_t size, std::int64_t side) {
        return from >= 0 && from <= side && from + size >= 0 && from + size <= side;
    };
    return within(rect.x, rect.width, faceWidth) && within(rect.y, rect.height, faceHeight);
}

int parseSkinColour(std::string_view text, SkinColourValue& colour)
{
    std::int32_t* const numbers[] = {&colour.red, &colour.green, &colour.blue};
    return parseNumbers(text, numbers, 3);
}
