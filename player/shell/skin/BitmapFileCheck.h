#pragma once

#include <string_view>

// Whether a Windows bitmap file holds all the pixel data its headers promise:
// from where the file header says the pixels start, every row of the
// uncompressed image, or the size the info header gives compressed data.
// False for a file too short to hold its headers. The image reader accepts a
// file cut short and draws what is missing as black; we refuse it instead.
bool bitmapPixelsFit(std::string_view file);
