#pragma once

// The icon images as Qt images: this library's one public header, shared by
// the window and the image tool. It hands the icon reader the toolkit's PNG
// decoder, and turns the reader's icons into Qt images and into the bytes
// that Save, Copy and a drag write out.
//
// Threading: every function is safe on any thread (Qt's images and image
// reader are reentrant); one that takes an IconReader uses it as the reader
// allows, one thread at a time.
//
// Failures: reported by the result value alone: no pixels, a null image or an
// empty byte array. Nothing throws; the callers word the messages.

#include "Icons.h"

#include <QByteArray>
#include <QColor>
#include <QImage>

namespace icons {

// The PNG decoder to hand to the icon reader: pixels at the image's own size,
// or nothing for a stream that does not decode, whose data does not inflate
// to exactly the rows its header declares, or that would allocate more than
// an icon image can need.
std::optional<Image> decodePng(const PngImage& png);

// Icon `index` of the reader's file at the standard size with its alpha, as
// the browser draws it: from its best image that decodes, PNG or bitmap.
// Null when there is no such icon or none of its images decodes.
QImage iconImage(const IconReader& reader, int index);

// Icon `index` of the reader's file as a PNG stream with its alpha: its
// largest image that decodes, a PNG image copied as stored, a bitmap encoded.
// Empty when there is no such icon or none of its images decodes.
QByteArray largestImageAsPng(const IconReader& reader, int index);

// Icon `index` as an icon file holding all its images as stored; empty when
// there is no such icon.
QByteArray iconFile(const IconReader& reader, int index);

// The pixels as a Qt image of the same size.
QImage toQImage(const Image& image);

// The icon drawn over `background` at its top-left corner, on a surface of
// `size` (in points: an icon whose device pixel ratio is 2 gets twice as many
// pixels each way): what a picture box holds after drawing an icon into it.
QImage drawnOn(const QImage& icon, QColor background, QSize size);

} // namespace icons
