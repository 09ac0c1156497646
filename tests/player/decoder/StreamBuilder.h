#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "BitReader.h"

namespace mp3test {

// Writes bits MSB first, the way the decoder reads them.
class BitWriter {
public:
    void put(std::uint32_t value, int bits);
    // The code word of symbol (x, y) of a big-value table, or of flags v,w,x,y
    // (as 8v + 4w + 2x + y in x) of a quadruple table.
    void putCode(int table, int x, int y = 0);
    int bitCount() const { return bitCount_; }
    std::vector<std::uint8_t> bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
    int bitCount_ = 0;
};

// The side-information fields of one granule of one channel, as coded.
struct GranuleFields {
    unsigned part23Length = 0;
    unsigned bigValues = 0;
    unsigned globalGain = 210;
    unsigned scalefacCompress = 0;
    bool windowSwitching = false;
    unsigned blockType = 0;
    unsigned mixedBlock = 0;
    unsigned tableSelect[3] = {0, 0, 0};
    unsigned subblockGain[3] = {0, 0, 0};
    unsigned region0Count = 0;
    unsigned region1Count = 0;
    unsigned preflag = 0;
    unsigned scalefacScale = 0;
    unsigned count1Table = 0;
};

// Layer III side information in bitstream order; fields[channel][granule].
void writeSideInfo(BitWriter& out, unsigned mainDataBegin, int channels, const unsigned scfsi[2],
                   const GranuleFields fields[2][2]);

// A new reader with `bytes` where its current frame body lives, pointed at
// their first bit.
std::unique_ptr<mp3::BitReaderState> loadBits(const std::vector<std::uint8_t>& bytes);
// Bits consumed since loadBits.
long bitsConsumed(const mp3::BitReaderState& reader);

// Header word bytes, then a body of the length the decoder will compute for
// it (44.1 kHz unless the first header of the stream said otherwise):
// `body` is cut or zero-padded to that length.
std::vector<std::uint8_t> frameBytes(mp3::HeaderWord h, const std::vector<std::uint8_t>& body,
                                     int streamSampleRate = 44100);
int bodyLength(mp3::HeaderWord h, int streamSampleRate = 44100);

void append(std::vector<std::uint8_t>& to, const std::vector<std::uint8_t>& bytes);

inline constexpr mp3::HeaderWord jointStereo128 = 0xFFFB9064u; // mid/side on
inline constexpr mp3::HeaderWord stereo128 = 0xFFFB9004u;
inline constexpr mp3::HeaderWord mono128 = 0xFFFB90C4u;

} // namespace mp3test
