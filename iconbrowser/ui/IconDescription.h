#pragma once

#include "Icons.h"

#include <QString>

#include <vector>

namespace glint {

// Where icon `index` (from 0) stands among `count`, counted from 1: "Icon 17 of 184".
QString iconPlace(int index, int count);

// The images of an icon in the group's order: "16 x 16, 4-bit; 32 x 32, 8-bit; 256 x 256 PNG".
QString imageSizes(const std::vector<icons::StoredImage>& images);

} // namespace glint
