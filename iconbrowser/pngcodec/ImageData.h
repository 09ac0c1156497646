#pragma once

#include "PngStream.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace icons {

// The image data of a PNG image (its IDAT chunks, one zlib stream), inflated
// in the pieces the caller asks for and never past the rows its header
// declares: what a hostile stream holds beyond them is never inflated, only
// noticed (ISO/IEC 15948, 10 and 12.5).
class ImageData {
public:
    explicit ImageData(const PngImage& png);
    ~ImageData();
    ImageData(const ImageData&) = delete;
    ImageData& operator=(const ImageData&) = delete;

    // Fills `piece` with the next inflated bytes; false when the stream is
    // damaged, ends first, or the piece would reach past the declared rows.
    bool read(std::span<std::uint8_t> piece);
    // Whether the stream ends at exactly what was read, with all the rows
    // read: a stream holding more than its rows is refused.
    bool endsHere();

private:
    // Points the inflater at the next IDAT chunk's data; false past the last.
    bool nextChunk();

    const PngImage& png_;
    z_stream stream_{};
    bool ready_ = false;
    bool ended_ = false;
    std::size_t nextChunk_ = 0;
};

} // namespace icons
