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

// Where a decoded frame stands in its stream and in the samples made, so
// that the stream can be decoded again from any sample of it.
struct FramePlace {
    std::uint64_t offset = 0;
    // The sample frames made before it, and those still to be dropped at its
    // start (the leading delay, or a place decoded again).
    std::int64_t samplesBefore = 0;
    int skipBefore = 0;
    // Where the polyphase history's ring and the overlap's two stores
    // stood: the sums are taken in ring order, so the same history at
    // another turn of the ring rounds differently.
    int ringOffset = 1;
    int overlapSelect[2] = {};
    // The first frame decoded since the stream was opened or sought: the
    // filterbanks' history before it is no frame of this stretch.
    bool entered = false;
};

// The places of the frames decoded last: about 13 s at 44.1 kHz, more than
// the player keeps queued.
struct FrameHistory {
    static constexpr int capacity = 512;
    FramePlace places[capacity] = {};
    int count = 0;
    int next = 0;
    // Where the frame nextFrame read last begins, and whether it is the first
    // since the stream was opened or sought.
    std::uint64_t readOffset = 0;
    bool entering = true;
    // The samples made (after any dropped at the start) since the stream
    // was opened.
    std::int64_t samplesMade = 0;
    // While a stretch is decoded again to rebuild its state, nothing is noted.
    bool rebuilding = false;

    void note(const FramePlace& place);
    // The index-th place counted from the oldest kept.
    const FramePlace& at(int index) const;
    // Forgets the places from the index-th on.
    void keepFirst(int index);
};

// Everything one Decoder knows of its stream; the stages are handed the
// parts they work on. A new one is the start state.
struct DecoderState {
    DecoderState();

    BitReaderState reader;
    HybridState hybrid;
    SynthesisState synthesis;
    FrameBuffers buffers;
    FrameHistory history;
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
