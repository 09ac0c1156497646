#include "BitReader.h"
#include "Frame.h"

namespace mp3 {

const std::int32_t bitrateTable[2][3][16] = {
    {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},
     {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},
     {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0}},
    {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
     {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0}},
};

const std::int32_t sampleRateTable[9] = {44100, 48000, 32000, 22050, 24000, 16000, 11025, 12000, 8000};

namespace {

// Scale-factor band partitions of ISO/IEC 11172-3, Table 3-B.8: boundaries
// of the 22 long bands and of the 13 short bands (per window).
constexpr std::int32_t longBoundaries[3][23] = {
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576},
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 42, 50, 60, 72, 88, 106, 128, 156, 190, 230, 276, 330, 384, 576},
    {0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 54, 66, 82, 102, 126, 156, 194, 240, 296, 364, 448, 550, 576},
};
constexpr std::int32_t shortBoundaries[3][14] = {
    {0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192},
    {0, 4, 8, 12, 16, 22, 28, 38, 50, 64, 80, 100, 126, 192},
    {0, 4, 8, 12, 16, 22, 30, 42, 58, 78, 104, 138, 180, 192},
};

struct BandRows {
    std::int32_t rows[9][72];
};

constexpr BandRows makeBandTable()
{
    BandRows t{};
    for (int j = 0; j < 3; ++j) {
        std::int32_t* row = t.rows[j];
        for (int b = 0; b < 23; ++b) row[b] = longBoundaries[j][b];
        for (int b = 0; b < 22; ++b) row[23 + b] = longBoundaries[j][b + 1] - longBoundaries[j][b];
        for (int b = 0; b < 14; ++b) row[45 + b] = 3 * shortBoundaries[j][b];
        for (int b = 0; b < 13; ++b) row[59 + b] = shortBoundaries[j][b + 1] - shortBoundaries[j][b];
    }
    return t;
}

constexpr BandRows bandRows = makeBandTable();

} // namespace

const std::int32_t (&bandTable)[9][72] = bandRows.rows;

bool decodeHeader(BitReaderState& r, FrameHeader& header, HeaderWord h)
{
    auto bits = [h](int shift, unsigned mask) { return static_cast<std::int32_t>((h >> shift) & mask); };

    if (bits(20, 1) == 1) {
        header.mpeg25 = 0;
        header.lsf = 1 - bits(19, 1);
    } else {
        header.lsf = 1;
        header.mpeg25 = 1;
    }
    // Layer and sample rate come from a file's first header only: a later
    // header that names another is taken for damage. The CRC flag is the
    // frame's own (ISO/IEC 11172-3, 2.4.2.3), since streams may switch it.
    if (r.previousHeader == 0) {
        header.layer = 4 - bits(17, 3);
        header.sampleRateIndex = header.mpeg25 ? 6 + bits(10, 3) : bits(10, 3) + 3 * header.lsf;
    }
    header.errorProtection = 1 - bits(16, 1);
    header.bitrateIndex = bits(12, 15);
    header.padding = bits(9, 1);
    header.privateBit = bits(8, 1);
    header.mode = bits(6, 3);
    header.modeExtension = bits(4, 3);
    header.copyrightBit = bits(3, 1);
    header.originalBit = bits(2, 1);
    header.emphasis = bits(0, 3);
    header.channels = header.mode == 3 ? 1 : 2;

    r.previousHeader = h;

    if (header.bitrateIndex == 0 || header.layer != 3) return false;

    int sideInfo = header.lsf == 0 ? (header.channels == 1 ? 17 : 32) : (header.channels == 1 ? 9 : 17);
    r.sideInfoSize = sideInfo + (header.errorProtection ? 2 : 0);

    header.frameSize = bitrateTable[header.lsf][2][header.bitrateIndex] * 144000 /
                           (sampleRateTable[header.sampleRateIndex] << header.lsf) +
                       header.padding - 4;
    // A body that cannot be a Layer III frame is refused rather than stored.
    return header.frameSize >= r.sideInfoSize && header.frameSize <= maxFrameBody;
}

} // namespace mp3
