#pragma once

#include <cstdint>
#include <string_view>

// The values of a skin's "Coordinates" keys, read as the classic formatted
// read of "%d, %d, %d, %d" reads them: each number may have blanks and a sign
// before it, a comma must follow its number directly, and reading stops at the
// first text that does not fit. The numbers not read keep their old values.

struct SkinRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    bool operator==(const SkinRect&) const = default;
};

// Reads x, y, width, height in that order; returns how many were read (4 for a
// well-formed value).
int parseSkinRect(std::string_view text, SkinRect& rect);

// True when both edges of the rectangle on each axis (x and x + width, y and
// y + height) lie on a face of that size, from 0 to its width and height. A
// zero or negative size is no fault; a rectangle off the face is, and one
// that fits keeps every sum of its numbers far inside the 32-bit range.
bool fitsFace(const SkinRect& rect, std::int32_t faceWidth, std::int32_t faceHeight);

struct SkinColourValue {
    std::int32_t red = 0;
    std::int32_t green = 0;
    std::int32_t blue = 0;
};

// Reads red, green, blue of "%d, %d, %d"; returns how many were read.
int parseSkinColour(std::string_view text, SkinColourValue& colour);

// Red in bits 0-7, green in 8-15, blue in 16-23; each number taken modulo 256.
inline std::uint32_t packedColour(const SkinColourValue& colour)
{
    return (std::uint32_t(colour.red) & 255u) | (std::uint32_t(colour.green) & 255u) << 8 |
           (std::uint32_t(colour.blue) & 255u) << 16;
}
