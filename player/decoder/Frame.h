#pragma once

#include <cstdint>

#include "Mp3Decoder.h"

namespace mp3 {

struct BitReaderState;

// A position in gainTable: entry k holds 2^((46 - k) / 4).
using GainPosition = std::int32_t;

struct GranuleInfo {
    std::int32_t scfsi = -1;
    std::uint32_t part23Length = 0;
    std::uint32_t bigValues = 0;
    std::uint32_t scalefacCompress = 0;
    std::uint32_t blockType = 0; // 0 normal, 1 start, 2 short, 3 stop
    std::uint32_t mixedBlock = 0;
    std::uint32_t tableSelect[3] = {0, 0, 0};
    std::uint32_t maxLine = 0;
    std::uint32_t region1Start = 0;
    std::uint32_t region2Start = 0;
    std::uint32_t preflag = 0;
    std::uint32_t scalefacScale = 0;
    std::uint32_t count1Table = 0;
    GainPosition windowGain[3] = {0, 0, 0};
    GainPosition granuleGain = 0;
    // Set by requantisation: the highest band holding a non-zero value, for
    // short windows 0..2 and for the long bands (3). None is -1, and 2 for
    // the windows of a mixed granule, whose short bands start at 3. In a
    // mid/side granule only the side values count. Intensity stereo starts
    // above these bands.
    std::int32_t highestBand[4] = {-1, -1, -1, -1};
};

struct SideInfo {
    std::uint32_t mainDataBegin = 0;
    std::uint32_t privateBits = 0;
    GranuleInfo granules[2][2]; // [channel][granule]
};

// Per sampleRateIndex: 23 long band boundaries, 22 long widths, 14 short
// boundaries (three times the per-window line), 13 short widths.
extern const std::int32_t (&bandTable)[9][72];

inline constexpr int maxFrameBody = 1792;

// Fills the header from h (the reader's `previousHeader` and `sideInfoSize`
// are updated too). Returns false to refuse the frame, true to accept it.
bool decodeHeader(BitReaderState& reader, FrameHeader& header, HeaderWord h);

// Reads the Layer III side information at the reader's bit position, all of
// it, and returns false when it is damaged: a window-switching granule of
// block type 0, which the standard does not allow.
bool readSideInfo(BitReaderState& reader, const FrameHeader& header, SideInfo& side);

} // namespace mp3
