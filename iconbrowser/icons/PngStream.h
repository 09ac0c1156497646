#pragma once

#include "ByteSource.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace icons {

// A PNG-compressed icon image, checked and left compressed for a PNG decoder.
// `bytes` is a whole PNG stream holding only what the pixels need (IHDR, PLTE,
// tRNS, the IDAT chunks, IEND): text, colour profiles and other ancillary
// chunks, which decoders may inflate as well, are left behind.
struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
    // Where the IDAT chunks' data lies in `bytes`: together, one zlib stream.
    std::vector<ByteRange> compressedData;
    // What that stream must inflate to: the filtered rows that IHDR declares,
    // no more. A decoder that inflates past it does work the image cannot use.
    std::uint64_t inflatedSize = 0;
};

// Checks a PNG stream (ISO/IEC 15948): the signature, an IHDR first whose
// size is within maxImageSide and whose depth, colour type and methods are
// ones the standard defines, whole chunks up to IEND, at least one IDAT, and
// no critical chunk the standard does not know. Nothing when any check fails.
std::optional<PngImage> readPngStream(std::span<const std::uint8_t> stream);

// Whether the bytes start with the PNG signature.
bool isPngStream(std::span<const std::uint8_t> bytes);

} // namespace icons
