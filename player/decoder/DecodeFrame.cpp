#include "DecodeFrame.h"

#include <algorithm>
#include <cstring>

#include "BitReader.h"
#include "Equaliser.h"
#include "Hybrid.h"
#include "Requantise.h"
#include "ScaleFactors.h"
#include "Synthesis.h"

namespace mp3 {

namespace {

// The working buffers between the stages: channel 1 follows channel 0.
struct FrameBuffers {
    alignas(32) float spectrum[2 * 576];
    alignas(32) float subbandSamples[2 * 18 * 32];
    // One array per channel: granule 1 may share granule 0's scale factors.
    ScaleFactors scaleFactors[2];
};

FrameBuffers buffers;

void synthesiseGranule(PcmSink& sink)
{
    SynthesisState& s = synthesis;
    for (int t = 0; t < 18; ++t) {
        synthesize(buffers.subbandSamples + 32 * t, buffers.subbandSamples + 576 + 32 * t);
        if (s.pcmFill > pcmBlockBytes - 1) {
            sink.writeBuffer(s.pcmBuffer, s.pcmFill);
            s.pcmFill = 0;
        }
    }
}

} // namespace

void decodeFrame(const FrameHeader& header, PcmSink& sink)
{
    // Band tables exist for the MPEG-1 sample rates only.
    if (header.sampleRateIndex > 2) return;

    SideInfo side;
    readSideInfo(header, side);
    setMainDataStart(static_cast<int>(side.mainDataBegin));

    const int rate = header.sampleRateIndex;
    const bool midSide = midSideOn(header);
    const bool jointBands = midSide || intensityOn(header);
    float* const left = buffers.spectrum;
    float* const right = buffers.spectrum + 576;

    for (int gr = 0; gr < 2; ++gr) {
        GranuleInfo& g0 = side.granules[0][gr];
        int bits = decodeScaleFactors(buffers.scaleFactors[0], g0);
        if (requantise(left, buffers.scaleFactors[0], g0, rate, bits)) return;

        GranuleInfo* g1 = &side.granules[1][gr];
        if (header.channels == 2) {
            bits = decodeScaleFactors(buffers.scaleFactors[1], *g1);
            int overrun = midSide ? requantiseMidSide(buffers.spectrum, buffers.scaleFactors[1], *g1, rate, bits)
                                  : requantise(right, buffers.scaleFactors[1], *g1, rate, bits);
            if (overrun) return;
            if (jointBands) g0.maxLine = g1->maxLine = std::max(g0.maxLine, g1->maxLine);
        } else {
            // A single channel plays on both outputs.
            std::memcpy(right, left, 576 * sizeof(float));
            g1 = &g0;
        }

        if (eqEnabled) applyEqualiser(buffers.spectrum);

        aliasReduce(left, g0);
        hybridSynthesis(left, buffers.subbandSamples, 0, g0);
        aliasReduce(right, *g1);
        hybridSynthesis(right, buffers.subbandSamples + 576, 1, *g1);

        synthesiseGranule(sink);
    }
}

void flushPcm(PcmSink& sink)
{
    SynthesisState& s = synthesis;
    if (s.pcmFill > 0) sink.writeBuffer(s.pcmBuffer, s.pcmFill);
    s.pcmFill = 0;
}

void resetDecoder()
{
    resetBitReader();
    initSynthesisTables(32768);
    initDecoderTables(32);
    buildGainCurve(defaultEqualiserGains);
    resetHybridState();
    std::memset(synthesis.synthesisBuffer, 0, sizeof synthesis.synthesisBuffer);
    resetPcmOutput();
    std::memset(&buffers, 0, sizeof buffers);
}

} // namespace mp3
