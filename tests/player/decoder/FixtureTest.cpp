// Whole files made with an independent encoder from tones we know: each must
// decode back to its tones, whatever its mode, rate, CRC or bitrate scheme.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "DecodeHelpers.h"

using namespace mp3test;

namespace {

constexpr double leftHz = 440.0;
constexpr double rightHz = 1000.0;
constexpr double toneAmplitude = 12000.0;

struct ToneCheck {
    double purity; // share of the signal's power at the tone's frequency
    double rms;
};

// Correlates a stretch of the signal with the tone, away from the encoder's
// delay at the start and its fade at the end.
ToneCheck measureTone(const std::vector<std::int16_t>& samples, double hz, int rate)
{
    const std::size_t begin = static_cast<std::size_t>(rate) / 10;
    const std::size_t end = samples.size() * 8 / 10;
    double s = 0.0, c = 0.0, power = 0.0;
    for (std::size_t n = begin; n < end; ++n) {
        double phase = 2.0 * std::numbers::pi * hz * double(n) / rate;
        s += samples[n] * std::sin(phase);
        c += samples[n] * std::cos(phase);
        power += double(samples[n]) * samples[n];
    }
    const double count = double(end - begin);
    return ToneCheck{2.0 * (s * s + c * c) / count / power, std::sqrt(power / count)};
}

struct Fixture {
    const char* file;
    int sampleRate;
    int channels;
};

void PrintTo(const Fixture& f, std::ostream* os)
{
    *os << f.file;
}

class FixtureFile : public ::testing::TestWithParam<Fixture> {};

TEST_P(FixtureFile, DecodesBackToItsTones)
{
    const Fixture& f = GetParam();
    DecodeResult result = decodeBytes(readFile(testDataDir() + "/mp3/" + f.file));
    ASSERT_EQ(result.error, "");
    EXPECT_EQ(result.sampleRate, f.sampleRate);
    EXPECT_EQ(result.channels, f.channels);
    // Every frame gives 1152 sample frames: about a second of audio.
    EXPECT_EQ(result.samples.size(), std::size_t(result.frames) * 1152 * 2);
    EXPECT_GT(result.samples.size() / 2, std::size_t(f.sampleRate));

    const double expectedRms = toneAmplitude / std::sqrt(2.0);
    ToneCheck left = measureTone(channel(result.samples, 0), leftHz, f.sampleRate);
    ToneCheck right = measureTone(channel(result.samples, 1), f.channels == 1 ? leftHz : rightHz, f.sampleRate);
    EXPECT_GT(left.purity, 0.97);
    EXPECT_GT(right.purity, 0.97);
    EXPECT_NEAR(left.rms, expectedRms, expectedRms * 0.1);
    EXPECT_NEAR(right.rms, expectedRms, expectedRms * 0.1);
}

INSTANTIATE_TEST_SUITE_P(Lame, FixtureFile,
                         ::testing::Values(Fixture{"stereo-128.mp3", 44100, 2}, Fixture{"joint-128.mp3", 44100, 2},
                                           Fixture{"crc-128.mp3", 44100, 2}, Fixture{"dual-128.mp3", 44100, 2},
                                           Fixture{"mono-64.mp3", 44100, 1}, Fixture{"rate32k-128.mp3", 32000, 2},
                                           Fixture{"rate48k-128.mp3", 48000, 2}, Fixture{"vbr-v2.mp3", 44100, 2}),
                         [](const auto& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             for (char& ch : name)
                                 if (ch == '-') ch = '_';
                             return name;
                         });

TEST(FixtureVariants, JunkInFrontIsPassedOver)
{
    std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/joint-128.mp3");
    std::vector<std::uint8_t> junk(3000);
    for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<std::uint8_t>(i * 37 % 251 & 0xEF);
    junk.insert(junk.end(), song.begin(), song.end());

    DecodeResult plain = decodeBytes(song);
    DecodeResult withJunk = decodeBytes(junk);
    EXPECT_EQ(withJunk.error, "");
    EXPECT_EQ(withJunk.samples, plain.samples);
}

TEST(FixtureVariants, LargeId3v2TagFullOfFrameHeadersIsPassedOver)
{
    std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/joint-128.mp3");
    // A 48 KB tag body, as a cover picture gives, whose bytes are valid
    // frame headers over and over.
    const std::size_t body = 48 * 1024;
    std::vector<std::uint8_t> tagged = {'I',
                                        'D',
                                        '3',
                                        3,
                                        0,
                                        0,
                                        static_cast<std::uint8_t>(body >> 21 & 0x7F),
                                        static_cast<std::uint8_t>(body >> 14 & 0x7F),
                                        static_cast<std::uint8_t>(body >> 7 & 0x7F),
                                        static_cast<std::uint8_t>(body & 0x7F)};
    const std::uint8_t header[4] = {0xFF, 0xFB, 0x90, 0x64};
    for (std::size_t i = 0; i < body; ++i) tagged.push_back(header[i % 4]);
    tagged.insert(tagged.end(), song.begin(), song.end());

    DecodeResult plain = decodeBytes(song);
    DecodeResult withTag = decodeBytes(tagged);
    EXPECT_EQ(withTag.error, "");
    EXPECT_EQ(withTag.frames, plain.frames);
    EXPECT_EQ(withTag.samples, plain.samples);
}

TEST(FixtureVariants, TruncatedLastFrameIsDecodedWithZerosForTheMissingBytes)
{
    std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/joint-128.mp3");
    DecodeResult whole = decodeBytes(song);
    song.resize(song.size() - 200);
    DecodeResult cut = decodeBytes(song);
    EXPECT_EQ(cut.error, "");
    EXPECT_EQ(cut.frames, whole.frames);
    ASSERT_EQ(cut.samples.size(), whole.samples.size());
    // Everything before the damaged frame is untouched.
    const std::size_t intact = cut.samples.size() - 2 * 2 * 1152;
    EXPECT_TRUE(std::equal(cut.samples.begin(), cut.samples.begin() + std::ptrdiff_t(intact), whole.samples.begin()));
}

TEST(FixtureVariants, EqualiserLiftsTheHighTone)
{
    std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/stereo-128.mp3");
    DecodeResult flat = decodeBytes(song, false);
    DecodeResult shaped = decodeBytes(song, true);
    // A long-block position k is centred near (k + 0.5) x 38.28 Hz: 440 Hz
    // sits at position 11 of the curve (gain 1.11), 1000 Hz near 25.6
    // (1.256); the whole curve is scaled by its headroom, 1 / 1.9994.
    const double headroom = 1.0 / 1.99943;
    double leftGain = measureTone(channel(shaped.samples, 0), leftHz, 44100).rms /
                      measureTone(channel(flat.samples, 0), leftHz, 44100).rms;
    double rightGain = measureTone(channel(shaped.samples, 1), rightHz, 44100).rms /
                       measureTone(channel(flat.samples, 1), rightHz, 44100).rms;
    EXPECT_NEAR(leftGain, 1.11 * headroom, 0.01);
    EXPECT_NEAR(rightGain, 1.256 * headroom, 0.01);
    EXPECT_NEAR(rightGain / leftGain, 1.256 / 1.11, 0.02);
}

} // namespace
