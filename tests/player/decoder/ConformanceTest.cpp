// The whole decoder against the ISO/IEC 11172-4 Layer III conformance streams,
// and its survival on damaged and unusual streams.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "DecodeHelpers.h"

using namespace mp3test;

namespace {

bool haveVectors()
{
    return std::filesystem::exists(vectorsDir() + "/l3-si.bit");
}

struct Difference {
    int largest = 0;
    double rms = 0.0;
    std::size_t compared = 0;
};

Difference compare(const std::vector<std::int16_t>& ours, const std::vector<std::int16_t>& reference)
{
    Difference d;
    d.compared = std::min(ours.size(), reference.size());
    double sumSquares = 0.0;
    for (std::size_t i = 0; i < d.compared; ++i) {
        int diff = std::abs(int(ours[i]) - int(reference[i]));
        d.largest = std::max(d.largest, diff);
        sumSquares += double(diff) * diff;
    }
    d.rms = d.compared ? std::sqrt(sumSquares / double(d.compared)) : 0.0;
    return d;
}

std::vector<std::int16_t> readPcm(const std::string& path)
{
    std::vector<std::uint8_t> bytes = readFile(path);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

struct Stream {
    const char* name;
    int channels;
    int sampleRate;
};

void PrintTo(const Stream& s, std::ostream* os)
{
    *os << s.name;
}

class ConformanceStream : public ::testing::TestWithParam<Stream> {};

TEST_P(ConformanceStream, MatchesTheReferenceWithinTwoStepsAndHalfAStepRms)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    const Stream& s = GetParam();
    DecodeResult result = decodeBytes(readFile(vectorsDir() + "/" + s.name + ".bit"));
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.sampleRate, s.sampleRate);
    EXPECT_EQ(result.channels, s.channels);

    // A single-channel stream plays on both outputs; the reference has one.
    std::vector<std::int16_t> ours = s.channels == 1 ? channel(result.samples, 0) : result.samples;
    if (s.channels == 1) {
        EXPECT_EQ(channel(result.samples, 0), channel(result.samples, 1));
    }
    std::vector<std::int16_t> reference = readPcm(vectorsDir() + "/" + s.name + ".pcm");

    // The reference stops before the stream's last frame; everything before
    // must be there.
    ASSERT_GE(ours.size(), reference.size());
    Difference d = compare(ours, reference);
    std::printf("%-14s largest difference %d, RMS %.4f over %zu samples\n", s.name, d.largest, d.rms, d.compared);
    EXPECT_LE(d.largest, 2);
    EXPECT_LE(d.rms, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Iso, ConformanceStream,
                         ::testing::Values(Stream{"l3-compl", 1, 48000}, Stream{"l3-he_32khz", 1, 32000},
                                           Stream{"l3-he_48khz", 1, 48000}, Stream{"l3-si", 1, 44100},
                                           Stream{"l3-si_block", 1, 44100}, Stream{"l3-hecommon", 2, 44100},
                                           Stream{"l3-sin1k0db", 2, 44100}),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

TEST(DamagedStreams, EveryStreamDecodesOrIsRefusedCleanly)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    int streams = 0;
    for (const auto& entry : std::filesystem::directory_iterator(vectorsDir())) {
        if (entry.path().extension() != ".bit") continue;
        ++streams;
        DecodeResult result = decodeBytes(readFile(entry.path().string()));
        SCOPED_TRACE(entry.path().filename().string());
        // Whole time slots only, and either a decode or the verdict on a
        // file that holds no frame.
        EXPECT_EQ(result.samples.size() % 64, 0u);
        if (!result.error.empty()) {
            EXPECT_EQ(result.error, "Not a valid MP3 file");
            EXPECT_EQ(result.frames, 0);
        }
    }
    EXPECT_GE(streams, 20);
}

TEST(DamagedStreams, UnusableStreamsGiveNoFrames)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    // Free format is not decoded, a five-byte file holds no frame, and a file
    // that is only an ID3v2 tag holds no audio.
    for (const char* name : {"l3-he_free", "l3-nonstandard-small", "l3-nonstandard-id3v2-only"}) {
        DecodeResult result = decodeBytes(readFile(vectorsDir() + "/" + name + ".bit"));
        EXPECT_EQ(result.frames, 0) << name;
        EXPECT_TRUE(result.samples.empty()) << name;
    }
}

// The channel mode of each frame of a stream, read from its headers.
std::vector<int> frameModes(const std::vector<std::uint8_t>& bytes)
{
    static const int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::vector<int> modes;
    for (std::size_t p = 0; p + 4 <= bytes.size();) {
        unsigned h = (unsigned(bytes[p]) << 24) | (bytes[p + 1] << 16) | (bytes[p + 2] << 8) | bytes[p + 3];
        if ((h >> 21) != 0x7FF || kbps[(h >> 12) & 15] == 0) break;
        modes.push_back(static_cast<int>((h >> 6) & 3) * 4 + static_cast<int>((h >> 4) & 3));
        p += 144000u * static_cast<unsigned>(kbps[(h >> 12) & 15]) / 44100u + ((h >> 9) & 1);
    }
    return modes;
}

TEST(IntensityStereo, ModeChangingStreamMatchesTheReferenceInEveryFrame)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    // The reference holds one channel for single-channel frames and two for
    // the others; the joint-stereo frames use intensity, mid/side, both and
    // neither, with long, short and mixed blocks.
    std::vector<std::uint8_t> bytes = readFile(vectorsDir() + "/l3-he_mode.bit");
    std::vector<int> modes = frameModes(bytes);
    ASSERT_EQ(modes.size(), 128u);
    DecodeResult result = decodeBytes(bytes);
    ASSERT_EQ(result.error, "");
    ASSERT_EQ(result.samples.size(), modes.size() * 2304);
    std::vector<std::int16_t> reference = readPcm(vectorsDir() + "/l3-he_mode.pcm");
    std::vector<std::int16_t> ours;
    for (std::size_t f = 0; f < modes.size(); ++f) {
        auto first = result.samples.begin() + static_cast<std::ptrdiff_t>(f * 2304);
        if (modes[f] / 4 == 3) {
            for (int i = 0; i < 1152; ++i) ours.push_back(first[2 * i]);
        } else {
            ours.insert(ours.end(), first, first + 2304);
        }
    }
    ASSERT_EQ(ours.size(), reference.size());
    // In the first two-channel frame after single-channel ones, our right
    // channel goes on from the history of the single channel, which played
    // on both outputs; the reference had no right channel until then. Only
    // that frame's right channel is left out.
    std::size_t at = 0;
    int largestIntensity = 0;
    int largest = 0;
    for (std::size_t f = 0; f < modes.size(); ++f) {
        const bool single = modes[f] / 4 == 3;
        const bool rightStarts = !single && f > 0 && modes[f - 1] / 4 == 3;
        std::size_t n = single ? 1152 : 2304;
        for (std::size_t i = 0; i < n; ++i) {
            if (rightStarts && i % 2 == 1) continue;
            int diff = std::abs(int(ours[at + i]) - int(reference[at + i]));
            largest = std::max(largest, diff);
            if (modes[f] == 4 + 1 || modes[f] == 4 + 3) largestIntensity = std::max(largestIntensity, diff);
        }
        at += n;
    }
    std::printf("l3-he_mode     largest difference %d, in intensity frames %d\n", largest, largestIntensity);
    EXPECT_LE(largest, 1);
    EXPECT_LE(largestIntensity, 1);
}

// Three copies of the compliance stream, each with one frame damaged: its
// side information (big values past the spectrum, an illegal block type) or
// a part 2/3 length too short for the granule's Huffman data. Each plays as
// long as the undamaged stream, the damage silenced and counted, and every
// sample away from the damage is the undamaged stream's. (The damaged
// streams' .pcm files show another decoder's way with the damage, not a
// standard's, so they are not compared.)
TEST(DamagedStreams, OneDamagedFrameCostsThatFrameAndKeepsTheStreamsLength)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    const std::vector<std::int16_t> whole = channel(decodeBytes(readFile(vectorsDir() + "/l3-compl.bit")).samples, 0);
    ASSERT_FALSE(whole.empty());
    for (const char* name : {"l3-nonstandard-compl-sideinfo-bigvalues", "l3-nonstandard-compl-sideinfo-blocktype",
                             "l3-nonstandard-compl-sideinfo-size"}) {
        SCOPED_TRACE(name);
        const DecodeResult result = decodeBytes(readFile(vectorsDir() + "/" + name + ".bit"));
        EXPECT_EQ(result.error, "");
        EXPECT_EQ(result.skipped, 1);
        EXPECT_GT(result.silenced, 0);
        const std::vector<std::int16_t> ours = channel(result.samples, 0);
        ASSERT_EQ(ours.size(), whole.size());
        std::size_t first = ours.size(), last = 0;
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (ours[i] == whole[i]) continue;
            first = std::min(first, i);
            last = i;
        }
        ASSERT_LT(first, ours.size()) << "the damage changed nothing";
        // The silence and the filters' fade into and out of it, within four frames.
        EXPECT_LE(last - first, std::size_t(4 * 1152));
        std::printf("%s: %lld samples silenced, %zu samples differ from %zu on\n", name,
                    static_cast<long long>(result.silenced), last - first + 1, first);
    }
}

TEST(DamagedStreams, ChannelModeChangesKeepBothOutputsPlaying)
{
    if (!haveVectors()) GTEST_SKIP() << "conformance streams not found in " << vectorsDir();
    // This stream switches between stereo, joint stereo and single channel.
    DecodeResult result = decodeBytes(readFile(vectorsDir() + "/l3-he_mode.bit"));
    EXPECT_EQ(result.error, "");
    EXPECT_EQ(result.samples.size(), std::size_t(result.frames) * 1152 * 2);
    double energy = 0.0;
    for (std::int16_t s : result.samples) energy += double(s) * s;
    EXPECT_GT(energy, 0.0);
}

} // namespace
