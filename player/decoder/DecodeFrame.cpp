#include <algorithm>
#include <cstring>
#include <mutex>

#include "BitReader.h"
#include "Equaliser.h"
#include "Hybrid.h"
#include "Intensity.h"
#include "Mp3Decoder.h"
#include "Requantise.h"
#include "ScaleFactors.h"
#include "Stream.h"
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

// Frames of the open stream played wholly or partly as silence for damage,
// and the granules so played.
std::int64_t damagedFrames = 0;
std::int64_t silentGranules = 0;

constexpr int bytesPerSampleFrame = 4;

// Drops what is left of the stream's leading delay from the time slot just
// written at the end of the PCM buffer.
void skipLeadingSamples(SynthesisState& s)
{
    constexpr int slotFrames = 32;
    int drop = std::min(s.skipSamples, slotFrames);
    std::uint8_t* slot = s.pcmBuffer + s.pcmFill - slotFrames * bytesPerSampleFrame;
    std::memmove(slot, slot + drop * bytesPerSampleFrame,
                 static_cast<std::size_t>(slotFrames - drop) * bytesPerSampleFrame);
    s.pcmFill -= drop * bytesPerSampleFrame;
    s.skipSamples -= drop;
}

// Hands on every whole block, keeping back the samples that may turn out to
// be the encoder's padding at the end of the stream.
void handOnBlocks(SynthesisState& s, PcmSink& sink)
{
    const int keep = s.paddingSamples * bytesPerSampleFrame;
    while (s.pcmFill >= pcmBlockBytes + keep) {
        sink.writeBuffer(s.pcmBuffer, pcmBlockBytes);
        s.pcmFill -= pcmBlockBytes;
        std::memmove(s.pcmBuffer, s.pcmBuffer + pcmBlockBytes, static_cast<std::size_t>(s.pcmFill));
    }
}

void synthesiseGranule(PcmSink& sink)
{
    SynthesisState& s = synthesis;
    for (int t = 0; t < 18; ++t) {
        synthesize(buffers.subbandSamples + 32 * t, buffers.subbandSamples + 576 + 32 * t);
        if (s.skipSamples > 0) skipLeadingSamples(s);
        handOnBlocks(s, sink);
    }
}

// Damage costs the part of the frame it makes unreadable, never the
// timeline: a frame whose side information is damaged cannot say what its
// main data means, and Huffman data that runs past its granule leaves no sure
// place for what follows, so from that granule on the spectrum is taken as
// zero. The overlap and the synthesis history fade out through the
// filterbanks as they would into silence, the frames after it start from a
// sane state, and the stream keeps its length. The reservoir has already been
// carried on by setMainDataStart.
void playSilenceFrom(int firstGranule, PcmSink& sink)
{
    const GranuleInfo silent; // long blocks, no lines above zero
    for (int gr = firstGranule; gr < 2; ++gr) {
        hybridSynthesis(buffers.spectrum, buffers.subbandSamples, 0, silent);
        hybridSynthesis(buffers.spectrum + 576, buffers.subbandSamples + 576, 1, silent);
        synthesiseGranule(sink);
    }
    ++damagedFrames;
    silentGranules += 2 - firstGranule;
}

void buildTablesOnce()
{
    static std::once_flag built;
    std::call_once(built, [] {
        initSynthesisTables(32768);
        initDecoderTables(32);
        buildGainCurve(defaultEqualiserGains);
    });
}

} // namespace

bool decodeFrame(const FrameHeader& header, PcmSink& sink)
{
    // Band tables exist for the MPEG-1 sample rates only.
    if (header.sampleRateIndex > 2) return false;

    SideInfo side;
    const bool intact = readSideInfo(header, side);
    const bool mainDataInStream = setMainDataStart(static_cast<int>(side.mainDataBegin));
    if (!intact) {
        playSilenceFrom(0, sink);
        return false;
    }
    // The first frames of a stream cut out of a longer one point back into
    // main data the stream never had: they hold nothing of it to play, as the
    // standard's reference decoder has it.
    if (!mainDataInStream) return false;

    const int rate = header.sampleRateIndex;
    const bool midSide = midSideOn(header);
    const bool intensity = intensityOn(header);
    const bool jointBands = midSide || intensity;
    float* const left = buffers.spectrum;
    float* const right = buffers.spectrum + 576;

    for (int gr = 0; gr < 2; ++gr) {
        GranuleInfo& g0 = side.granules[0][gr];
        int bits = decodeScaleFactors(buffers.scaleFactors[0], g0);
        if (requantise(left, buffers.scaleFactors[0], g0, rate, bits)) {
            playSilenceFrom(gr, sink);
            return gr > 0;
        }

        GranuleInfo* g1 = &side.granules[1][gr];
        if (header.channels == 2) {
            bits = decodeScaleFactors(buffers.scaleFactors[1], *g1);
            int overrun = midSide ? requantiseMidSide(buffers.spectrum, buffers.scaleFactors[1], *g1, rate, bits)
                                  : requantise(right, buffers.scaleFactors[1], *g1, rate, bits);
            if (overrun) {
                playSilenceFrom(gr, sink);
                return gr > 0;
            }
            if (intensity) applyIntensity(buffers.spectrum, buffers.scaleFactors[1], *g1, rate, midSide);
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
    return true;
}

void flushPcm(PcmSink& sink)
{
    SynthesisState& s = synthesis;
    if (s.pcmFill > 0) sink.writeBuffer(s.pcmBuffer, s.pcmFill);
    s.pcmFill = 0;
}

void endStream()
{
    SynthesisState& s = synthesis;
    s.pcmFill -= std::min(s.pcmFill, s.paddingSamples * bytesPerSampleFrame);
    s.paddingSamples = 0;
    s.skipSamples = 0;
}

void discardPcm()
{
    resetPcmOutput();
}

int heldPcmBytes()
{
    return synthesis.pcmFill;
}

void startStreamHistory()
{
    resetHybridState();
    std::memset(synthesis.synthesisBuffer, 0, sizeof synthesis.synthesisBuffer);
    synthesis.ringOffset = 1;
    synthesis.skipSamples = 0;
    synthesis.paddingSamples = 0;
    damagedFrames = 0;
    silentGranules = 0;
}

std::int64_t skippedFrames()
{
    return damagedFrames;
}

std::int64_t silencedSamples()
{
    return silentGranules * 576;
}

void resetDecoder()
{
    buildTablesOnce();
    resetBitReader();
    startStreamHistory();
    resetPcmOutput();
    std::memset(&buffers, 0, sizeof buffers);
    resetStreamFacts();
}

} // namespace mp3
