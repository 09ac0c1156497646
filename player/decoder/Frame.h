#pragma once

#include <cstdint>

namespace mp3 {

// The four header bytes of a frame read as one big-endian word: the first
// byte of the frame is bits 31..24 (ISO/IEC 11172-3, 2.4.1.3).
using HeaderWord = std::uint32_t;

struct FrameHeader {
    std::int32_t channels = 0;
    std::int32_t lsf = 0;
    std::int32_t mpeg25 = 0;
    std::int32_t headerChange = 0;  // 0 same header, 1 compatible change, 2 major change
    std::int32_t layer = 0;
    std::int32_t errorProtection = 0;
    std::int32_t bitrateIndex = 0;
    std::int32_t sampleRateIndex = 0;
    std::int32_t padding = 0;
    std::int32_t privateBit = 0;
    std::int32_t mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    std::int32_t modeExtension = 0;
    std::int32_t copyrightBit = 0;
    std::int32_t originalBit = 0;
    std::int32_t emphasis = 0;
    std::int32_t frameSize = 0;  // bytes of the frame after the four header bytes
};

// A position in gainTable: entry k holds 2^((46 - k) / 4).
using GainPosition = std::int32_t;

struct GranuleInfo {
    std::int32_t scfsi = -1;
    std::uint32_t part23Length = 0;
    std::uint32_t bigValues = 0;
    std::uint32_t scalefacCompress = 0;
    std::uint32_t blockType = 0;  // 0 normal, 1 start, 2 short, 3 stop
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
};

struct SideInfo {
    std::uint32_t mainDataBegin = 0;
    std::uint32_t privateBits = 0;
    GranuleInfo granules[2][2];  // [channel][granule]
};

// Bitrates in kbit/s by [lsf][layer - 1][bitrateIndex] (ISO/IEC 11172-3 and 13818-3).
extern const std::int32_t bitrateTable[2][3][16];
// Hz by sampleRateIndex.
extern const std::int32_t sampleRateTable[9];
// Per sampleRateIndex: 23 long band boundaries, 22 long widths, 14 short
// boundaries (three times the per-window line), 13 short widths.
extern const std::int32_t (&bandTable)[9][72];

inline constexpr int maxFrameBody = 1792;

// Fills the header from h (the reader's `previousHeader` and `sideInfoSize`
// are updated too). Returns 0 to refuse the frame, 1 to accept it.
int decodeHeader(FrameHeader& header, HeaderWord h);

// Reads the Layer III side information at the reader's bit position. Throws
// TextException(corruptMp3Text) for a window-switching granule of block type 0.
void readSideInfo(const FrameHeader& header, SideInfo& side);

inline bool midSideOn(const FrameHeader& h) { return h.mode == 1 && (h.modeExtension & 2) != 0; }
inline bool intensityOn(const FrameHeader& h) { return h.mode == 1 && (h.modeExtension & 1) != 0; }
inline int bitrateKbps(const FrameHeader& h)
{
    return bitrateTable[h.lsf][h.layer - 1][h.bitrateIndex];
}
inline int sampleRateHz(const FrameHeader& h) { return sampleRateTable[h.sampleRateIndex]; }

} // namespace mp3
