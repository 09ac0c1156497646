#pragma once

#include "Icons.h"

#include <QColor>
#include <QImage>

namespace icons {

// The PNG decoder to hand to the icon reader: pixels at the image's own size,
// or nothing for a stream that does not decode, whose data does not inflate
// to exactly the rows its header declares, or that would allocate more than
// an icon image can need.
std::optional<Image> decodePng(const PngImage& png);

// The icon at the standard size with its alpha; a PNG-compressed image is
// decoded and fitted. Null for a PNG stream that does not decode.
QImage toQImage(const Icon& icon);

// The icon drawn over `background` at its top-left corner, on a surface of
// `size`: what a picture box holds after drawing an icon into it.
QImage drawnOn(const QImage& icon, QColor background, QSize size);

} // namespace icons
