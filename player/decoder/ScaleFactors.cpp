#include "ScaleFactors.h"

#include "BitReader.h"

namespace mp3 {

const std::int32_t slenTable[2][16] = {
    {0, 0, 0, 0, 3, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4},
    {0, 1, 2, 3, 0, 1, 2, 3, 1, 2, 3, 1, 2, 3, 2, 3},
};

namespace {

int readValues(BitReaderState& r, std::int32_t* values, int count, int bitsEach)
{
    for (int i = 0; i < count; ++i) values[i] = static_cast<std::int32_t>(getBitsFast(r, bitsEach));
    return count * bitsEach;
}

} // namespace

int decodeScaleFactors(BitReaderState& r, ScaleFactors& sf, const GranuleInfo& granule)
{
    const int s1 = slenTable[0][granule.scalefacCompress & 15];
    const int s2 = slenTable[1][granule.scalefacCompress & 15];

    if (granule.blockType == 2) {
        int bits = 0;
        int n = 0;
        if (granule.mixedBlock) {
            bits += readValues(r, sf, 17, s1); // long bands 0..7, short bands 3..5
            n = 17;
        } else {
            bits += readValues(r, sf, 18, s1); // short bands 0..5
            n = 18;
        }
        bits += readValues(r, sf + n, 18, s2); // short bands 6..11
        n += 18;
        sf[n] = sf[n + 1] = sf[n + 2] = 0; // band 12 has no scale factor
        return bits;
    }

    static constexpr int groupStart[5] = {0, 6, 11, 16, 21};
    int bits = 0;
    for (int group = 0; group < 4; ++group) {
        bool shared = granule.scfsi >= 0 && (granule.scfsi & (8 >> group)) != 0;
        if (shared) continue;
        bits += readValues(r, sf + groupStart[group], groupStart[group + 1] - groupStart[group], group < 2 ? s1 : s2);
    }
    sf[21] = 0;
    return bits;
}

} // namespace mp3
