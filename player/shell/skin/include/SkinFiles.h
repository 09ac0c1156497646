#pragma once

// What a skin's files hold, read with the standard library alone (the skin
// room's core, shell_skin_core, which the sanitizer and fuzz builds reach):
// the values of the [Coordinates] keys of its "Skin.ini", the one table of
// those keys, and the check that a bitmap file holds the pixels its headers
// promise. It depends on the settings room's INI reading; Skin.h builds the
// skin's windows on it.
//
// How it fails: nothing here throws. The value readers return how many
// numbers they read; readSkinLayout returns a SkinLayoutReading whose fault
// is the text to tell, naming the key and the file.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

class IniSections;

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

// Whether a Windows bitmap file holds all the pixel data its headers promise:
// from where the file header says the pixels start, every row of the
// uncompressed image, or the size the info header gives compressed data.
// False for a file too short to hold its headers. The image reader accepts a
// file cut short and draws what is missing as black; we refuse it instead.
bool bitmapPixelsFit(std::string_view file);

// Every value of a skin's [Coordinates] section: where each control lies on
// the face, and the font and colour of the title and the readouts.
struct SkinLayout {
    SkinRect about, minimize, quit, prev, stop, pause, play, next, open;
    std::string displayFont;
    SkinRect displayBar;
    std::uint32_t displayColour = 0; // red in bits 0-7, green 8-15, blue 16-23
    SkinRect seekBar, displayTime, displayKhz, displayBitrate;
};

// One key of [Coordinates]: its name in "Skin.ini", the member of SkinLayout
// it loads into (a rectangle, the font's name or the colour), and the tool
// tip of the control it places; a readout or the title has none.
struct SkinKey {
    const char* name;
    std::variant<SkinRect SkinLayout::*, std::string SkinLayout::*, std::uint32_t SkinLayout::*> member;
    const char* toolTip = nullptr;
};

// The sixteen keys, in the order they are read and their controls are made.
// A button's tool tip is its key's name.
extern const std::array<SkinKey, 16> skinKeys;

// The key that loads into that rectangle.
const SkinKey& skinKeyOf(SkinRect SkinLayout::*member);

// The layout, or the fault of its first key in the table's order that is
// missing or does not hold all its numbers, or whose rectangle does not fit
// a face of that size (see fitsFace).
struct SkinLayoutReading {
    SkinLayout layout;
    std::string fault; // empty when every key was read
};
SkinLayoutReading readSkinLayout(const IniSections& skinFile, const std::string& filePath, std::int32_t faceWidth,
                                 std::int32_t faceHeight);
