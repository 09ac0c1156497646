#pragma once

#include "Frame.h"

namespace mp3 {

// Alias reduction, IMDCT with block windowing and overlap-add, and frequency
// inversion (ISO/IEC 11172-3, 2.4.3.4 and Annex A): one granule of one channel
// from 576 spectral values to 18 time slots of 32 subband samples.
struct HybridTables {
    float aliasCs[8];
    float aliasCa[8];
    // Rows by block type: the standard's windows times the factors of the
    // fast transforms. The odd rows negate every odd entry (frequency inversion).
    float imdctWindow[4][36];
    float imdctWindowOdd[4][36];
    // Both rows side by side for four subbands from an even one: even, odd,
    // even, odd.
    float imdctWindowLanes[4][36][4];
    float cos9Table[9];
    float halfSecant36[9];
    float halfSecant12[3];
    float cosPi6;
    float cosPi3;
};

// One stream's overlap history; a new one is silent.
struct HybridState {
    // [slot][channel][576]: second halves of the previous granule's IMDCT output.
    float overlapStore[2][2][576] = {};
    int overlapSelect[2] = {};
};

// Built on first use, once per process.
const HybridTables& hybridTables();

void aliasReduce(float* channelSpectrum, const GranuleInfo& granule);
void hybridSynthesis(HybridState& state, float* channelSpectrum, float* channelSubbandSamples, int channel,
                     const GranuleInfo& granule);
void imdct36(float* in, const float* previous, float* next, const float* window, float* out);
void imdct12(const float* in, const float* previous, float* next, const float* window, float* out);

} // namespace mp3
