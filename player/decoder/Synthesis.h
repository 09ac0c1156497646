#pragma once

#include <cstdint>

namespace mp3 {

// Polyphase synthesis filterbank (ISO/IEC 11172-3, 2.4.3.2 and Annex A) and
// the PCM output buffer. The tables are built once per process; the state
// belongs to the stream being decoded.
struct SynthesisTables {
    float synthesisCos0[16], synthesisCos1[8], synthesisCos2[4], synthesisCos3[2], synthesisCos4[1];
    float synthesisWindow[544];
    // The window as 32 rows of 16 taps for each of the eight odd ring offsets
    // r1, signs folded in, so every output sample is one 16-tap dot product.
    alignas(16) float synthesisMatrix[8][32][16];
};

// One stream's filter history and PCM; a new one is silent and empty.
struct SynthesisState {
    // [channel][half][272]: the transformed-vector history, a ring of 16 slots.
    alignas(32) float synthesisBuffer[2][2][272] = {};
    int ringOffset = 1;
    // Room for a block, the samples held back for gapless trimming at the end
    // of a stream (at most 4095 sample frames), and one more time slot.
    alignas(16) std::uint8_t pcmBuffer[0x8400] = {};
    int pcmFill = 0;
    // Gapless trimming: sample frames still to drop at the start of the
    // stream, and how many at its end are the encoder's padding. The
    // padding is held back from the sink until the stream's end drops it.
    int skipSamples = 0;
    int paddingSamples = 0;
};

extern const std::int32_t synthesisWindowHalf[257];

// Built on first use, once per process, for 16-bit output.
const SynthesisTables& synthesisTables();

void synthesisDct(float* out0, float* out1, const float* samples);
// One time slot of both channels: 32 stereo sample frames appended to pcmBuffer.
void synthesize(SynthesisState& state, const float* left, const float* right);
// The 32 sums of each channel of a time slot as 16-bit stereo sample frames:
// rounded to nearest (ties to even) after saturating, left and right
// interleaved.
void storeSamples(const float* left, const float* right, std::uint8_t* out);
// Drops the partly filled block and restarts the ring, as after a seek or a
// song change.
inline void resetPcmOutput(SynthesisState& state)
{
    state.pcmFill = 0;
    state.ringOffset = 1;
}

} // namespace mp3
