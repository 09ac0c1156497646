#pragma once

// The PNG codec: its one public header. PNG images without a toolkit, on zlib
// alone, for the programs that must start faster than a toolkit loads (the
// thumbnailer, the counter): decoding a checked icon image's stream, encoding
// pixels, and writing icons out of a file. The inflation and the row decoding
// stay private to the library.
//
// Threading: every function is safe on any thread; one that takes an
// IconReader uses it as the reader allows, one thread at a time.
//
// Failures: reported by the result value alone: no pixels, an empty stream,
// or for a folder written out the count written and one line for each icon
// that was not, naming it and why. Nothing throws.

#include "Icons.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace icons {

// Pixels at the image's own size, or nothing for a stream that does not
// decode or whose data does not inflate to exactly the rows its header
// declares (checked before the decoder sees it, so its cost stays bounded).
std::optional<Image> decodePngPixels(const PngImage& png);

// How a PNG stream's data is packed: stored, for speed (a thumbnail is written
// once and read once), or deflated, for a file the user keeps.
enum class PngPacking { Stored, Deflated };

// A PNG stream (ISO/IEC 15948) of the pixels, 8-bit RGBA.
std::vector<std::uint8_t> encodePng(const Image& image, PngPacking packing = PngPacking::Stored);

// Whether the data of `png` inflates to exactly the rows its header declares.
bool inflatesToItsRows(const PngImage& png);

// Icons out, without a toolkit.

// Icon `index` as a PNG stream with its alpha: its largest image that decodes,
// a PNG image copied as stored, a bitmap encoded. Empty when there is no such
// icon or none of its images decodes; images made to fail cost their bound once.
std::vector<std::uint8_t> largestImagePng(const IconReader& reader, int index);

enum class ExportFormat {
    Icon, // the whole icon as an icon file, every image as stored
    Png,  // its largest image
};

// The name icon `index` of `count` gets when every icon of the file named
// `fileName` is written out: that name less its extension, a dash, the icon's
// number from 1 as the browser counts, padded to the count's digits so that
// the names sort in order, and the format's extension ("shell32-017.png").
std::string exportName(const std::string& fileName, int index, int count, ExportFormat format);

struct ExportResult {
    int written = 0;
    // One line per icon not written: its name and why.
    std::vector<std::string> failures;
};

// Writes every icon the reader holds into `folder`, named after `fileName`,
// replacing files of those names.
ExportResult exportAllIcons(const IconReader& reader, const std::string& fileName, const std::filesystem::path& folder,
                            ExportFormat format);

} // namespace icons
