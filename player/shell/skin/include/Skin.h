#pragma once

#include <QRegion>
#include <cstdint>
#include <memory>
#include <string>

#include "Bitmap.h"
#include "SkinValues.h"

class PlayerSettings;

// A loaded skin: the face, the face with every button pressed, and the
// rectangles, font and colour of its "Skin.ini".
struct Skin {
    Bitmap mainUp;
    Bitmap mainDown;
    SkinRect about, minimize, quit, prev, stop, pause, play, next, open;
    std::string displayFont;
    SkinRect displayBar;
    std::uint32_t displayColour = 0; // red in bits 0-7, green 8-15, blue 16-23
    SkinRect seekBar, displayTime, displayKhz, displayBitrate;
};

// The bitmap paths of the skin named by the "skin" setting: the file of that
// name in the skin's folder, in whatever letter case it is written there.
std::string skinBitmapPath(const PlayerSettings& settings, const char* fileName);

// Loads "MainUp.bmp", then "MainDown.bmp", then the keys of "Coordinates" in
// their order. A bitmap that cannot be loaded throws ShellError("Bitmap file
// could not be loaded."); a key that is missing or does not hold all its
// numbers, or a rectangle that does not fit the face, throws a ShellError
// naming the key and the file.
std::unique_ptr<Skin> loadSkin(const PlayerSettings& settings);

// A piece of bitmap at the rectangle, drawn at (0, 0) of a control.
BitmapPiece pieceAt(const Bitmap& bitmap, const SkinRect& rect);

// The window's shape: every pixel of the face except those of exactly the
// colour of its top-left pixel.
QRegion buildWindowRegion(const Bitmap& mainUp);
