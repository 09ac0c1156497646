// Damage amid and after a stream: a frame with damaged side information or
// Huffman data costs that frame only, junk full of header-like words after the audio plays
// nothing, and bytes without a single frame are no song.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "DecodeHelpers.h"
#include "FrameDamage.h"
#include "WavFile.h"
#include "Mp3Decoder.h"
#include "StreamBuilder.h"

using namespace mp3;
using namespace mp3test;
using streamtest::damageHuffmanData;
using streamtest::damageSideInformation;
using streamtest::frameOffsets;
using streamtest::headerLikeJunk;

namespace {

constexpr std::size_t samplesPerFrame = 2 * 1152; // interleaved stereo

struct Comparison {
    std::size_t differing = 0;
    int largestOutside = 0; // beyond three frames either side of the damage
};

Comparison compareAround(const std::vector<std::int16_t>& damaged, const std::vector<std::int16_t>& whole,
                         std::size_t damagedFrame)
{
    Comparison c;
    const std::size_t from = (damagedFrame - 3) * samplesPerFrame;
    const std::size_t to = (damagedFrame + 4) * samplesPerFrame;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const int diff = std::abs(int(damaged[i]) - int(whole[i]));
        if (diff != 0) ++c.differing;
        if (i < from || i >= to) c.largestOutside = std::max(c.largestOutside, diff);
    }
    return c;
}

TEST(DamagedFrame, CostsThatFrameOnlyAndPlaysAsSilence)
{
    for (const char* name : {"joint-128.mp3", "crc-128.mp3", "varied-v2.mp3"}) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> whole = readFile(testDataDir() + "/mp3/" + name);
        const std::vector<std::size_t> offsets = frameOffsets(whole);
        // Audio frame 20 (the header frame comes first).
        const std::size_t damagedFrame = 20;
        std::vector<std::uint8_t> damaged = whole;
        damageSideInformation(damaged, offsets[damagedFrame + 1]);

        const DecodeResult reference = decodeBytes(whole);
        const DecodeResult result = decodeBytes(damaged);
        EXPECT_EQ(result.error, "");
        EXPECT_EQ(reference.skipped, 0);
        EXPECT_EQ(result.skipped, 1);
        EXPECT_EQ(result.frames, reference.frames);
        // Silence in its place keeps the timeline: every later sample stays where it was.
        ASSERT_EQ(result.samples.size(), reference.samples.size());
        const Comparison c = compareAround(result.samples, reference.samples, damagedFrame);
        EXPECT_LE(c.largestOutside, 1);
        EXPECT_GT(c.differing, 0u);
        std::printf("%-14s one damaged frame: %zu of %zu samples differ, largest difference beyond three frames %d\n",
                    name, c.differing, reference.samples.size(), c.largestOutside);
    }
}

TEST(DamagedFrame, HuffmanDataPastItsGranulePlaysTheRestOfTheFrameAsSilence)
{
    const std::vector<std::uint8_t> whole = readFile(testDataDir() + "/mp3/joint-128.mp3");
    const std::vector<std::size_t> offsets = frameOffsets(whole);
    const DecodeResult reference = decodeBytes(whole);
    const std::size_t damagedFrame = 20;
    for (int granule : {0, 1}) {
        SCOPED_TRACE(granule);
        std::vector<std::uint8_t> damaged = whole;
        damageHuffmanData(damaged, offsets[damagedFrame + 1], granule);
        const DecodeResult result = decodeBytes(damaged);
        EXPECT_EQ(result.error, "");
        EXPECT_EQ(result.skipped, 1);
        EXPECT_EQ(result.silenced, 576 * (2 - granule));
        EXPECT_EQ(result.frames, reference.frames);
        // The lost granules' time is kept: the stream is as long as the whole
        // one, and all it played before the damage is the whole stream's.
        ASSERT_EQ(result.samples.size(), reference.samples.size());
        const std::size_t damageStart = (damagedFrame * 1152 + 576 * static_cast<std::size_t>(granule)) * 2;
        EXPECT_TRUE(std::equal(reference.samples.begin(),
                               reference.samples.begin() + static_cast<std::ptrdiff_t>(damageStart),
                               result.samples.begin()));
        const Comparison c = compareAround(result.samples, reference.samples, damagedFrame);
        EXPECT_LE(c.largestOutside, 1);
        EXPECT_GT(c.differing, 0u);
    }
}

TEST(DamagedFrame, EveryDamagedFrameIsCountedAndTheStreamGoesOn)
{
    std::vector<std::uint8_t> bytes = readFile(testDataDir() + "/mp3/joint-128.mp3");
    const std::vector<std::size_t> offsets = frameOffsets(bytes);
    // Side information: the first audio frame, two in a row, and the last.
    const std::size_t frames = offsets.size() - 2;
    for (std::size_t f : {std::size_t(1), std::size_t(10), std::size_t(11), frames})
        damageSideInformation(bytes, offsets[f]);
    // And Huffman data run past its granule, in either granule.
    damageHuffmanData(bytes, offsets[30], 0);
    damageHuffmanData(bytes, offsets[31], 1);
    const DecodeResult result = decodeBytes(bytes);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.skipped, 6);
    EXPECT_EQ(result.silenced, 5 * 1152 + 576);
    EXPECT_EQ(result.samples.size(), frames * samplesPerFrame);
}

TEST(JunkAfterTheAudio, HeaderLikeWordsThatNoFrameFollowsPlayNothing)
{
    std::vector<std::uint8_t> audio;
    for (int f = 0; f < 6; ++f) append(audio, frameBytes(jointStereo128, {}));
    struct Junk {
        const char* name;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<std::uint8_t> damagedTag = {'T', 'A', 'G'};
    append(damagedTag, headerLikeJunk(3000, 5));
    const Junk junks[] = {
        {"a damaged tag", damagedTag},
        {"a torn download", headerLikeJunk(40000, 300)},
        {"header words one byte short of a frame apart", headerLikeJunk(5001, 416)},
    };
    for (const Junk& junk : junks) {
        SCOPED_TRACE(junk.name);
        std::vector<std::uint8_t> bytes = audio;
        append(bytes, junk.bytes);
        const DecodeResult result = decodeBytes(bytes);
        EXPECT_EQ(result.error, "");
        EXPECT_EQ(result.frames, 6);
        ASSERT_EQ(result.samples.size(), 6 * samplesPerFrame);
        for (std::int16_t s : result.samples) ASSERT_EQ(s, 0);
    }
}

TEST(JunkAfterTheAudio, AFrameFoundAfterDamageCountsWhenAnotherOrTheEndFollowsIt)
{
    // Damage, then two frames: the first is confirmed by the second, the
    // second by the end of the stream.
    std::vector<std::uint8_t> bytes;
    for (int f = 0; f < 3; ++f) append(bytes, frameBytes(jointStereo128, {}));
    append(bytes, headerLikeJunk(900, 300));
    for (int f = 0; f < 2; ++f) append(bytes, frameBytes(jointStereo128, {}));
    DecodeResult result = decodeBytes(bytes);
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.frames, 5);
}

TEST(NoFrameAtAll, WavFilesAndTextAreNotValidMp3Files)
{
    const std::vector<std::pair<const char*, std::string>> files = {
        {"a loud WAV file", streamtest::wavFile(12000)},
        {"a quiet WAV file", streamtest::wavFile(30)},
        {"a text", "This is a letter, not a song.\nFF FB 90 64\n"},
        {"four bytes", "abcd"},
    };
    for (const auto& [name, text] : files) {
        SCOPED_TRACE(name);
        const DecodeResult result = decodeBytes({text.begin(), text.end()});
        EXPECT_EQ(result.error, "Not a valid MP3 file");
        EXPECT_EQ(result.frames, 0);
    }
    // No bytes at all is an empty song, not a damaged one.
    EXPECT_EQ(decodeBytes({}).error, "");
}

} // namespace
