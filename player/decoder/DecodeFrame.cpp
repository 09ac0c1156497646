#include <algorithm>
#include <cstring>

#include "DecoderState.h"
#include "Intensity.h"
#include "Mp3Decoder.h"
#include "Requantise.h"

namespace mp3 {

namespace {

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

void synthesiseGranule(DecoderState& d, PcmSink& sink)
{
    SynthesisState& s = d.synthesis;
    const float* const samples = d.buffers.subbandSamples;
    for (int t = 0; t < 18; ++t) {
        synthesize(s, samples + 32 * t, samples + 576 + 32 * t);
        const int filled = s.pcmFill;
        if (s.skipSamples > 0) skipLeadingSamples(s);
        d.history.samplesMade += 32 - (filled - s.pcmFill) / bytesPerSampleFrame;
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
void playSilenceFrom(DecoderState& d, int firstGranule, PcmSink& sink)
{
    const GranuleInfo silent; // long blocks, no lines above zero
    FrameBuffers& b = d.buffers;
    for (int gr = firstGranule; gr < 2; ++gr) {
        hybridSynthesis(d.hybrid, b.spectrum, b.subbandSamples, 0, silent);
        hybridSynthesis(d.hybrid, b.spectrum + 576, b.subbandSamples + 576, 1, silent);
        synthesiseGranule(d, sink);
    }
    ++d.damagedFrames;
    d.silentGranules += 2 - firstGranule;
}

} // namespace

DecoderState::DecoderState()
{
    buildGainCurve(equaliser, equaliserSetting);
}

bool Decoder::decodeFrame(const FrameHeader& header, PcmSink& sink)
{
    // Band tables exist for the MPEG-1 sample rates only.
    if (header.sampleRateIndex > 2) return false;

    DecoderState& d = *state_;
    FrameHistory& history = d.history;
    if (!history.rebuilding)
        history.note({history.readOffset,
                      history.samplesMade,
                      d.synthesis.skipSamples,
                      d.synthesis.ringOffset,
                      {d.hybrid.overlapSelect[0], d.hybrid.overlapSelect[1]},
                      history.entering});
    history.entering = false;
    BitReaderState& reader = d.reader;
    FrameBuffers& buffers = d.buffers;
    SideInfo side;
    const bool intact = readSideInfo(reader, header, side);
    const bool mainDataInStream = setMainDataStart(reader, static_cast<int>(side.mainDataBegin));
    if (!intact) {
        playSilenceFrom(d, 0, sink);
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
        int bits = decodeScaleFactors(reader, buffers.scaleFactors[0], g0);
        if (requantise(reader, left, buffers.scaleFactors[0], g0, rate, bits)) {
            playSilenceFrom(d, gr, sink);
            return gr > 0;
        }

        GranuleInfo* g1 = &side.granules[1][gr];
        if (header.channels == 2) {
            bits = decodeScaleFactors(reader, buffers.scaleFactors[1], *g1);
            const bool overrun =
                midSide ? requantiseMidSide(reader, buffers.spectrum, buffers.scaleFactors[1], *g1, rate, bits)
                        : requantise(reader, right, buffers.scaleFactors[1], *g1, rate, bits);
            if (overrun) {
                playSilenceFrom(d, gr, sink);
                return gr > 0;
            }
            if (intensity) applyIntensity(buffers.spectrum, buffers.scaleFactors[1], *g1, rate, midSide);
            if (jointBands) g0.maxLine = g1->maxLine = std::max(g0.maxLine, g1->maxLine);
        } else {
            // A single channel plays on both outputs.
            std::memcpy(right, left, 576 * sizeof(float));
            g1 = &g0;
        }

        if (d.equaliserSetting.on) applyEqualiser(d.equaliser, buffers.spectrum);

        aliasReduce(left, g0);
        hybridSynthesis(d.hybrid, left, buffers.subbandSamples, 0, g0);
        aliasReduce(right, *g1);
        hybridSynthesis(d.hybrid, right, buffers.subbandSamples + 576, 1, *g1);

        synthesiseGranule(d, sink);
    }
    return true;
}

void Decoder::flushPcm(PcmSink& sink)
{
    SynthesisState& s = state_->synthesis;
    if (s.pcmFill > 0) sink.writeBuffer(s.pcmBuffer, s.pcmFill);
    s.pcmFill = 0;
}

void Decoder::endStream()
{
    SynthesisState& s = state_->synthesis;
    s.pcmFill -= std::min(s.pcmFill, s.paddingSamples * bytesPerSampleFrame);
    s.paddingSamples = 0;
    s.skipSamples = 0;
}

void Decoder::discardPcm()
{
    resetPcmOutput(state_->synthesis);
}

int Decoder::heldPcmBytes() const
{
    return state_->synthesis.pcmFill;
}

void startStreamHistory(DecoderState& d)
{
    d.history.count = 0;
    d.history.next = 0;
    d.history.entering = true;
    d.history.samplesMade = 0;
    d.hybrid = HybridState{};
    SynthesisState& s = d.synthesis;
    std::memset(s.synthesisBuffer, 0, sizeof s.synthesisBuffer);
    s.ringOffset = 1;
    s.skipSamples = 0;
    s.paddingSamples = 0;
    d.damagedFrames = 0;
    d.silentGranules = 0;
}

std::int64_t Decoder::skippedFrames() const
{
    return state_->damagedFrames;
}

std::int64_t Decoder::silencedSamples() const
{
    return state_->silentGranules * 576;
}

void Decoder::setEqualiser(bool on)
{
    state_->equaliserSetting.on = on;
}

void Decoder::setEqualiser(const EqualiserSetting& setting)
{
    DecoderState& d = *state_;
    const bool sameCurve =
        setting.gainsDb == d.equaliserSetting.gainsDb && setting.preampDb == d.equaliserSetting.preampDb;
    d.equaliserSetting = setting;
    if (!sameCurve) buildGainCurve(d.equaliser, setting);
}

bool Decoder::equaliserOn() const
{
    return state_->equaliserSetting.on;
}

EqualiserSetting Decoder::equaliser() const
{
    return state_->equaliserSetting;
}

} // namespace mp3
