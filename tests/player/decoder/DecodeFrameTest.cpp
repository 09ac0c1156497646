// The frame decode driver: output blocks, dropped granules, the equaliser
// switch and single-channel frames.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "BitReader.h"
#include "DecodeHelpers.h"
#include "DecoderState.h"
#include "Equaliser.h"
#include "Hybrid.h"
#include "Requantise.h"
#include "ScaleFactors.h"
#include "StreamBuilder.h"
#include "Synthesis.h"
#include "Mp3Decoder.h"

using namespace mp3;
using namespace mp3test;

namespace {

// What one granule of one channel carries: a few low lines coded with
// table 1, or nothing.
struct Content {
    int pairs = 0;
    unsigned globalGain = 190;
    int seed = 0;
    bool overrun = false;
};

// A frame with main data right after its side information.
std::vector<std::uint8_t> codedFrame(HeaderWord h, const Content content[2][2], bool corrupt = false)
{
    const int channels = (h & 0xC0) == 0xC0 ? 1 : 2;
    GranuleFields fields[2][2];
    BitWriter main;
    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            const Content& c = content[ch][gr];
            GranuleFields& f = fields[ch][gr];
            int start = main.bitCount();
            for (int p = 0; p < c.pairs; ++p) {
                int x = (p + c.seed) % 3 == 0, y = (p + c.seed) % 4 == 1;
                main.putCode(1, x, y);
                if (x) main.put(static_cast<unsigned>(p & 1), 1);
                if (y) main.put(static_cast<unsigned>((p >> 1) & 1), 1);
            }
            f.bigValues = static_cast<unsigned>(c.pairs);
            f.part23Length = static_cast<unsigned>(main.bitCount() - start - (c.overrun ? 1 : 0));
            f.globalGain = c.globalGain;
            f.tableSelect[0] = f.tableSelect[1] = f.tableSelect[2] = 1;
            f.count1Table = 1;
        }
    }
    if (corrupt) {
        fields[0][1].windowSwitching = true;
        fields[0][1].blockType = 0;
    }
    const unsigned scfsi[2] = {0, 0};
    BitWriter side;
    writeSideInfo(side, 0, channels, scfsi, fields);
    std::vector<std::uint8_t> body = side.bytes();
    append(body, main.bytes());
    return frameBytes(h, body);
}

std::vector<std::uint8_t> musicFrame(HeaderWord h, int variant = 0)
{
    Content c[2][2];
    for (int ch = 0; ch < 2; ++ch)
        for (int gr = 0; gr < 2; ++gr)
            c[ch][gr] = Content{40 + 10 * ch + variant, 185u + 5u * unsigned(gr), ch + gr + variant};
    return codedFrame(h, c);
}

std::vector<std::uint8_t> silentFrame(HeaderWord h)
{
    Content c[2][2];
    return codedFrame(h, c);
}

class FrameDriver : public ::testing::Test {
protected:
    void TearDown() override { closeStream(state.reader); }
    void open()
    {
        openMemoryStream(state.reader, data.data(), data.size());
        resetSync(state.reader);
    }
    bool decodeNext()
    {
        if (readFrame(state.reader, header) != FrameRead::frame) return false;
        decoder.decodeFrame(header, sink);
        return true;
    }

    Decoder decoder;
    DecoderState& state = stateOf(decoder);
    std::vector<std::uint8_t> data;
    FrameHeader header;
    RecordingSink sink;
};

TEST_F(FrameDriver, BlocksOf16384BytesLeaveDuringTheFourthFrame)
{
    for (int f = 0; f < 12; ++f) append(data, musicFrame(stereo128, f % 3));
    open();
    for (int f = 1; f <= 3; ++f) {
        ASSERT_TRUE(decodeNext());
        EXPECT_TRUE(sink.blockSizes.empty());
        EXPECT_EQ(state.synthesis.pcmFill, 4608 * f);
    }
    ASSERT_TRUE(decodeNext());
    ASSERT_EQ(sink.blockSizes.size(), 1u);
    // 144 calls so far: the block left after the 128th.
    EXPECT_EQ(state.synthesis.pcmFill, (144 - 128) * 128);
    while (decodeNext()) {
    }
    EXPECT_EQ(sink.blockSizes, std::vector<int>(3, 16384));
    EXPECT_EQ(state.synthesis.pcmFill, 12 * 4608 - 3 * 16384);
}

TEST_F(FrameDriver, AnOverrunPlaysTheRestOfTheFrameAsSilence)
{
    Content late[2][2], early[2][2];
    for (int ch = 0; ch < 2; ++ch)
        for (int gr = 0; gr < 2; ++gr) late[ch][gr] = early[ch][gr] = Content{30, 190, ch};
    late[0][1].overrun = true;
    early[1][0].overrun = true;
    append(data, musicFrame(stereo128));
    append(data, codedFrame(stereo128, late));
    append(data, codedFrame(stereo128, early));
    append(data, musicFrame(stereo128));
    open();
    ASSERT_EQ(readFrame(state.reader, header), FrameRead::frame);
    EXPECT_TRUE(decoder.decodeFrame(header, sink));
    EXPECT_EQ(state.synthesis.pcmFill, 4608);
    // Granule 0 plays, granule 1 is silence: the frame still gave samples of its own.
    ASSERT_EQ(readFrame(state.reader, header), FrameRead::frame);
    EXPECT_TRUE(decoder.decodeFrame(header, sink));
    EXPECT_EQ(state.synthesis.pcmFill, 2 * 4608);
    EXPECT_EQ(decoder.skippedFrames(), 1);
    EXPECT_EQ(decoder.silencedSamples(), 576);
    // Both granules went through the hybrid stage, as silence or not.
    EXPECT_EQ(state.hybrid.overlapSelect[0], 0);
    EXPECT_EQ(state.hybrid.overlapSelect[1], 0);
    // An overrun in granule 0, channel 1: the whole frame is silence.
    ASSERT_EQ(readFrame(state.reader, header), FrameRead::frame);
    EXPECT_FALSE(decoder.decodeFrame(header, sink));
    EXPECT_EQ(state.synthesis.pcmFill, 3 * 4608);
    EXPECT_EQ(decoder.skippedFrames(), 2);
    EXPECT_EQ(decoder.silencedSamples(), 576 + 1152);
    EXPECT_EQ(state.hybrid.overlapSelect[0], 0);
    ASSERT_TRUE(decodeNext());
    EXPECT_EQ(state.synthesis.pcmFill, 4 * 4608 - 16384);
    EXPECT_EQ(decoder.skippedFrames(), 2);
}

// The stages called one by one, in the driver's order, on a stream of
// stereo frames without mid/side.
std::vector<std::uint8_t> stageByStage(const std::vector<std::uint8_t>& stream, bool equaliser)
{
    static float spectrum[1152], samples[1152];
    Decoder decoder;
    DecoderState& d = stateOf(decoder);
    openMemoryStream(d.reader, stream.data(), stream.size());
    resetSync(d.reader);
    std::vector<std::uint8_t> pcm;
    FrameHeader h;
    ScaleFactors sf[2];
    while (readFrame(d.reader, h) == FrameRead::frame) {
        SideInfo side;
        readSideInfo(d.reader, h, side);
        setMainDataStart(d.reader, static_cast<int>(side.mainDataBegin));
        for (int gr = 0; gr < 2; ++gr) {
            for (int ch = 0; ch < 2; ++ch) {
                GranuleInfo& g = side.granules[ch][gr];
                int bits = decodeScaleFactors(d.reader, sf[ch], g);
                requantise(d.reader, spectrum + 576 * ch, sf[ch], g, h.sampleRateIndex, bits);
            }
            if (equaliser) applyEqualiser(d.equaliser, spectrum);
            for (int ch = 0; ch < 2; ++ch) {
                aliasReduce(spectrum + 576 * ch, side.granules[ch][gr]);
                hybridSynthesis(d.hybrid, spectrum + 576 * ch, samples + 576 * ch, ch, side.granules[ch][gr]);
            }
            for (int t = 0; t < 18; ++t) {
                d.synthesis.pcmFill = 0;
                synthesize(d.synthesis, samples + 32 * t, samples + 576 + 32 * t);
                pcm.insert(pcm.end(), d.synthesis.pcmBuffer, d.synthesis.pcmBuffer + 128);
            }
        }
    }
    closeStream(d.reader);
    return pcm;
}

std::vector<std::uint8_t> asBytes(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

TEST_F(FrameDriver, TheEqualiserRunsOnlyWhenEnabled)
{
    for (int f = 0; f < 6; ++f) append(data, musicFrame(stereo128, f));
    DecodeResult plain = decodeBytes(data, false);
    DecodeResult shaped = decodeBytes(data, true);
    ASSERT_EQ(plain.samples.size(), 6u * 2304);
    ASSERT_EQ(shaped.samples.size(), plain.samples.size());
    EXPECT_NE(plain.samples, shaped.samples);
    int loudest = 0;
    for (std::int16_t s : plain.samples) loudest = std::max(loudest, std::abs(int(s)));
    EXPECT_GT(loudest, 100);
    EXPECT_LT(loudest, 32767);

    EXPECT_EQ(asBytes(plain.samples), stageByStage(data, false));
    EXPECT_EQ(asBytes(shaped.samples), stageByStage(data, true));
}

TEST_F(FrameDriver, ASingleChannelFramePlaysOnBothOutputs)
{
    append(data, musicFrame(jointStereo128));
    append(data, musicFrame(stereo128, 1));
    // Two silent frames empty the overlap and the synthesis history.
    append(data, silentFrame(stereo128));
    append(data, silentFrame(stereo128));
    append(data, musicFrame(mono128));
    append(data, musicFrame(mono128, 2));
    DecodeResult result = decodeBytes(data);
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.samples.size(), 6u * 2304);
    std::vector<std::int16_t> left = channel(result.samples, 0), right = channel(result.samples, 1);
    EXPECT_FALSE(std::equal(left.begin(), left.begin() + 2 * 1152, right.begin()));
    const std::size_t monoStart = 4 * 1152;
    EXPECT_TRUE(std::equal(left.begin() + monoStart, left.end(), right.begin() + monoStart));
    EXPECT_TRUE(std::any_of(left.begin() + monoStart, left.end(), [](std::int16_t s) { return s != 0; }));
}

TEST_F(FrameDriver, CorruptSideInformationPlaysAsSilenceThatTheFiltersFadeInto)
{
    Content c[2][2];
    append(data, musicFrame(stereo128));
    append(data, musicFrame(stereo128, 1));
    std::vector<std::uint8_t> withoutDamage = data;
    append(data, codedFrame(stereo128, c, true));
    append(withoutDamage, silentFrame(stereo128));
    DecodeResult result = decodeBytes(data);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.skipped, 1);
    EXPECT_EQ(result.frames, 3);
    // The damaged frame sounds as a frame of silence would: the tail of the
    // frame before it, then nothing.
    EXPECT_EQ(result.samples, decodeBytes(withoutDamage).samples);
}

TEST_F(FrameDriver, LowSampleRateFramesAreNotDecoded)
{
    const HeaderWord mpeg2At22050 = 0xFFF38004u;
    for (int f = 0; f < 4; ++f) append(data, frameBytes(mpeg2At22050, {}, 22050));
    DecodeResult result = decodeBytes(data);
    EXPECT_EQ(result.frames, 4);
    EXPECT_EQ(result.sampleRate, 22050);
    EXPECT_TRUE(result.samples.empty());
}

TEST_F(FrameDriver, RandomBodiesYieldWholeGranulesOrASilencedFrame)
{
    // Under the sanitizers this also shows that no read leaves the reader's
    // storage, whatever the side information and main data say.
    std::mt19937 rng(17);
    const HeaderWord headers[] = {jointStereo128, stereo128, mono128, 0xFFFB9054u, 0xFFFBE204u, 0xFFFA9064u};
    for (int f = 0; f < 300; ++f) {
        std::vector<std::uint8_t> body(1800);
        for (auto& b : body) b = static_cast<std::uint8_t>(rng());
        append(data, frameBytes(headers[f % 6], body));
    }
    open();
    int frames = 0;
    while (readFrame(state.reader, header) == FrameRead::frame) {
        ++frames;
        if (header.errorProtection) getBits(state.reader, 16);
        decoder.decodeFrame(header, sink);
        ASSERT_EQ((sink.bytes.size() + static_cast<std::size_t>(state.synthesis.pcmFill)) % 2304, 0u);
    }
    EXPECT_EQ(frames, 300);
    // Frames with damaged side information played as silence.
    EXPECT_GT(decoder.skippedFrames(), 0);
    EXPECT_LT(decoder.skippedFrames(), frames);
}

} // namespace

namespace {

TEST_F(FrameDriver, AnIntensityFrameAtPositionZeroPutsTheSumInTheRightChannel)
{
    // Intensity only, the right channel empty and its scale factors 0: every
    // band is intensity-coded at position 0, all of the sum to the right.
    // That is what plain stereo gives with the same values coded right.
    const HeaderWord intensityOnly = 0xFFFB9054u;
    std::vector<std::uint8_t> panned, moved;
    for (int f = 0; f < 6; ++f) {
        Content a[2][2], b[2][2];
        for (int gr = 0; gr < 2; ++gr) {
            a[0][gr] = Content{30 + f, 180u + 4u * unsigned(gr), f + gr};
            b[1][gr] = a[0][gr];
        }
        append(panned, codedFrame(intensityOnly, a));
        append(moved, codedFrame(stereo128, b));
    }
    DecodeResult intensity = decodeBytes(panned);
    DecodeResult stereo = decodeBytes(moved);
    ASSERT_EQ(intensity.error, "");
    ASSERT_EQ(intensity.samples.size(), 6u * 2304);
    EXPECT_EQ(channel(intensity.samples, 1), channel(stereo.samples, 1));
    std::vector<std::int16_t> silence(6 * 1152, 0);
    EXPECT_EQ(channel(intensity.samples, 0), silence);
    EXPECT_NE(channel(stereo.samples, 1), silence);
}

} // namespace
