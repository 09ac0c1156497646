// The built-in equaliser never clips: songs that play loud but unclipped
// without it (peaks at -0.3 dBFS, as mastered songs have them) play unclipped
// with it, and it raises no tone above the level it has without it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "DecodeHelpers.h"

using namespace mp3test;

namespace {

// -0.3 dBFS, the level at which the loud fixtures decode without the
// equaliser (within 0.1 dB: they were made to it with another decoder).
constexpr int loudPeak = 31656;

int peak(const std::vector<std::int16_t>& samples, std::size_t from, std::size_t to)
{
    int largest = 0;
    for (std::size_t i = from; i < to; ++i) largest = std::max(largest, std::abs(int(samples[i])));
    return largest;
}

std::size_t fullScale(const std::vector<std::int16_t>& samples)
{
    return static_cast<std::size_t>(
        std::count_if(samples.begin(), samples.end(), [](std::int16_t s) { return s == 32767 || s == -32768; }));
}

TEST(EqualiserHeadroom, LoudSinesOfEveryBandStayBelowFullScaleAndAreRaisedNoHigher)
{
    // A quarter of a second of each tone, the same on both channels.
    const int toneHz[] = {60, 250, 1000, 3000, 6000, 10000, 14000, 16000};
    const std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/loud-sines.mp3");
    const DecodeResult pure = decodeBytes(song, false, true);
    const DecodeResult shaped = decodeBytes(song, true, true);
    ASSERT_EQ(pure.error, "");
    ASSERT_EQ(shaped.samples.size(), pure.samples.size());
    // Without the equaliser: loud, and unclipped.
    EXPECT_EQ(fullScale(pure.samples), 0u);
    EXPECT_GE(peak(pure.samples, 0, pure.samples.size()), loudPeak * 98 / 100);
    EXPECT_EQ(fullScale(shaped.samples), 0u);
    const std::size_t perTone = 2 * 44100 / 4;
    for (std::size_t t = 0; t < std::size(toneHz); ++t) {
        const std::size_t from = t * perTone, to = std::min(from + perTone, pure.samples.size());
        const int without = peak(pure.samples, from, to);
        const int with = peak(shaped.samples, from, to);
        std::printf("%5d Hz: peak %5d without the equaliser, %5d with it\n", toneHz[t], without, with);
        // No line's gain is above 1: a tone is never louder than without the
        // equaliser, give or take the rounding of a few samples.
        EXPECT_LE(with, without + 4) << toneHz[t] << " Hz";
    }
}

TEST(EqualiserHeadroom, ALoudBrightMixStaysBelowFullScale)
{
    // Drums, bass and a bright pad, limited, at -0.3 dBFS without the equaliser.
    const std::vector<std::uint8_t> song = readFile(testDataDir() + "/mp3/loud-mix.mp3");
    const DecodeResult pure = decodeBytes(song, false, true);
    const DecodeResult shaped = decodeBytes(song, true, true);
    ASSERT_EQ(pure.error, "");
    EXPECT_EQ(fullScale(pure.samples), 0u);
    EXPECT_GE(peak(pure.samples, 0, pure.samples.size()), loudPeak * 98 / 100);
    const int with = peak(shaped.samples, 0, shaped.samples.size());
    std::printf("loud mix: peak %d without the equaliser, %d with it\n", peak(pure.samples, 0, pure.samples.size()),
                with);
    EXPECT_EQ(fullScale(shaped.samples), 0u);
    EXPECT_LT(with, 32767);
}

} // namespace
