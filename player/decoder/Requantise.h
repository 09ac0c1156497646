#pragma once

#include <cstdint>

#include "Frame.h"
#include "ScaleFactors.h"

namespace mp3 {

// Long-band additions for preflag (ISO/IEC 11172-3, Table 3-B.6).
extern const std::int32_t preTable[22];

// A run is the pairs of one band, or of one window of a short band.
struct BandRun {
    std::int32_t pairs;
    std::int32_t start;  // first line
    std::int32_t window; // 0..2 for a short window, 3 for a long band
    std::int32_t band;
};

struct BandMap {
    BandRun mixed[38];
    int mixedEnd;
    BandRun shortRuns[39];
    int shortEnd;
    BandRun longRuns[22];
    int longEnd;
};

// The constant tables of requantisation, shared by every decoder.
struct RequantiseTables {
    // Entry k holds 2^((46 - k) / 4); a gain position indexes it.
    float gainTable[378];
    // Entry x holds x^(4/3): 15 plus the largest 13-bit escape.
    float powerTable[8207];
    BandMap bandMap[9];
    // Subbands (of 18 lines) up to each long / short band boundary, capped
    // at 32.
    std::int32_t longLimit[9][23];
    std::int32_t shortLimit[9][14];
};

// Built on first use, once per process.
const RequantiseTables& requantiseTables();

// Decodes one granule of one channel into 576 values from the reader's
// position, where it leaves the reader at the granule's end; sets
// granule.maxLine. Returns true when the Huffman data ran past part23Length.
bool requantise(BitReaderState& reader, float* spectrum, const ScaleFactors& scaleFactors, GranuleInfo& granule,
                int sampleRateIndex, int part2Bits);

// The same for the side channel of a mid/side frame: `spectrumBlock` holds the
// granule's mid values in its first 576 floats; both channels are written.
bool requantiseMidSide(BitReaderState& reader, float* spectrumBlock, const ScaleFactors& scaleFactors,
                       GranuleInfo& granule, int sampleRateIndex, int part2Bits);

} // namespace mp3
