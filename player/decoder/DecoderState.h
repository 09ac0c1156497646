#pragma once

#include <cstdint>

#include "BitReader.h"
#include "Equaliser.h"
#include "Hybrid.h"
#include "Mp3Decoder.h"
#include "ScaleFactors.h"
#include "Synthesis.h"

namespace mp3 {

// The working buffers between the stages: channel 1 follows channel 0.
struct FrameBuffers {
    alignas(32) float spectrum[2 * 576] = {};
    alignas(32) float subbandSamples[2 * 18 * 32] = {};
    // One array per channel: granule 1 may share granule 0's scale factors.
    ScaleFactors scaleFactors[2] = {};
};

// Everything one Decoder knows of its stream; the stages are handed the
// parts they work on. A new one is the start state.
struct DecoderState {
    DecoderState();

    BitReaderState reader;
    HybridState hybrid;
    SynthesisState synthesis;
    FrameBuffers buffers;
    GainCurve equaliser;
    // The setting the curve was made from, and the switch.
    EqualiserSetting equaliserSetting = {.on = false, .gainsDb = EqualiserSetting{}.gainsDb, .preampDb = std::nullopt};
    bool gaplessOn = true;
    // What the stream's first frame said when it was a header frame, and
    // whether that frame is still to come.
    HeaderFrame headerFrame;
    bool atFirstFrame = false;
    // Frames of the open stream played wholly or partly as silence for
    // damage, and the granules so played.
    std::int64_t damagedFrames = 0;
    std::int64_t silentGranules = 0;
};

inline DecoderState& stateOf(Decoder& decoder)
{
    return *decoder.state_;
}

// Clears the hybrid overlap and the synthesis history, the gapless trimming
// and the damage counts, for a stream that starts afresh.
void startStreamHistory(DecoderState& state);

} // namespace mp3
