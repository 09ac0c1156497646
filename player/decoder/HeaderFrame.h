#pragma once

#include <cstddef>
#include <cstdint>

#include "Mp3Decoder.h"

namespace mp3 {

// Reads a stream's first frame as a header frame: a Xing or Info header
// after the side information, perhaps with a LAME tag behind it, or a VBRI
// header 32 bytes into the body. `body` holds the frameSize bytes after the
// four header bytes; `offset` is where the frame starts in the file and
// `streamBytes` how many bytes follow from there to the end of the file.
// Returns kind none when the frame is audio. Counts and tables that cannot be
// true for a stream of streamBytes are left out.
HeaderFrame parseHeaderFrame(const FrameHeader& header, const std::uint8_t* body, std::size_t size,
                             std::uint64_t offset, std::uint64_t streamBytes);

} // namespace mp3
