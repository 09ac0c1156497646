// Intensity stereo against ISO/IEC 11172-3, 2.4.3.4.9.3: above the right
// channel's last band with a value, left = m * r / (1 + r) and
// right = m / (1 + r), r = tan(is_pos * pi / 12); position 7 leaves a band as
// it was; the top band takes the position of the band below.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "Frame.h"
#include "Intensity.h"
#include "Mp3Decoder.h"

using namespace mp3;

namespace {

constexpr double pi = 3.14159265358979323846;

double leftShare(int position)
{
    if (position == 6) return 1.0;
    double r = std::tan(position * pi / 12.0);
    return r / (1.0 + r);
}

double rightShare(int position)
{
    if (position == 6) return 0.0;
    return 1.0 / (1.0 + std::tan(position * pi / 12.0));
}

const std::int32_t* row44 = bandTable[0];
int longStart(int band)
{
    return row44[band];
}
int shortStart(int band)
{
    return row44[45 + band] / 3;
} // per window
int shortWidth(int band)
{
    return row44[59 + band];
}

struct Block {
    float spectrum[1152];
    float before[1152];
    Block()
    {
        for (int i = 0; i < 576; ++i) {
            spectrum[i] = 100.0f + static_cast<float>(i);
            spectrum[576 + i] = 0.0f;
        }
        std::memcpy(before, spectrum, sizeof spectrum);
    }
    float left(int line) const { return spectrum[line]; }
    float right(int line) const { return spectrum[576 + line]; }
};

// Checks one line against the formula, with m the left value before.
void expectPanned(const Block& b, int line, int position, double sumScale = 1.0)
{
    double m = b.before[line] * sumScale;
    EXPECT_NEAR(b.left(line), m * leftShare(position), 1e-3 * std::abs(m)) << "line " << line;
    EXPECT_NEAR(b.right(line), m * rightShare(position), 1e-3 * std::abs(m)) << "line " << line;
}

void expectUntouched(const Block& b, int line)
{
    EXPECT_EQ(b.left(line), b.before[line]) << "line " << line;
    EXPECT_EQ(b.right(line), b.before[576 + line]) << "line " << line;
}

TEST(IntensityStereo, LongBandsAboveTheRightChannelsLastValue)
{
    Block b;
    // The right channel holds values up to band 9; its scale factors above
    // are positions 0..6, with 7 (no intensity) in band 14.
    for (int line = 0; line < longStart(10); ++line) b.spectrum[576 + line] = b.before[576 + line] = 5.0f;
    ScaleFactors sf = {};
    for (int band = 10; band < 21; ++band) sf[band] = (band - 10) % 7;
    sf[14] = 7;
    GranuleInfo g;
    g.highestBand[3] = 9;
    applyIntensity(b.spectrum, sf, g, 0, false);
    for (int line = 0; line < longStart(10); ++line) expectUntouched(b, line);
    for (int band = 10; band < 22; ++band) {
        int position = band == 21 ? sf[20] : sf[band];
        for (int line = longStart(band); line < longStart(band + 1); ++line) {
            if (position == 7)
                expectUntouched(b, line);
            else
                expectPanned(b, line, position);
        }
    }
    // Position 0 puts everything to the right, 6 everything to the left, 3 halves.
    EXPECT_EQ(b.left(longStart(10)), 0.0f);
    EXPECT_FLOAT_EQ(b.right(longStart(10)), b.before[longStart(10)]);
    EXPECT_FLOAT_EQ(b.left(longStart(16)), b.before[longStart(16)]);
    EXPECT_EQ(b.right(longStart(16)), 0.0f);
    EXPECT_FLOAT_EQ(b.left(longStart(13)), 0.5f * b.before[longStart(13)]);
}

TEST(IntensityStereo, WithMidSideTheSumIsTakenWhole)
{
    // Mid/side has left both channels at m / sqrt(2) where the side is zero.
    Block b;
    for (int i = 0; i < 576; ++i) b.spectrum[576 + i] = b.before[576 + i] = b.spectrum[i];
    ScaleFactors sf = {};
    for (int band = 0; band < 21; ++band) sf[band] = 2;
    sf[3] = 7;
    GranuleInfo g;
    g.highestBand[3] = 1;
    applyIntensity(b.spectrum, sf, g, 0, true);
    for (int line = 0; line < longStart(2); ++line) expectUntouched(b, line);
    // Band 3 stays mid/side: the values as mid/side left them.
    for (int line = longStart(3); line < longStart(4); ++line) expectUntouched(b, line);
    for (int line = longStart(4); line < 576; ++line) expectPanned(b, line, 2, std::sqrt(2.0));
}

TEST(IntensityStereo, ShortBlocksStartPerWindow)
{
    Block b;
    GranuleInfo g;
    g.blockType = 2;
    // Window 0 has values up to band 4, window 1 none, window 2 up to band 11.
    g.highestBand[0] = 4;
    g.highestBand[1] = -1;
    g.highestBand[2] = 11;
    ScaleFactors sf = {};
    for (int band = 0; band < 12; ++band)
        for (int w = 0; w < 3; ++w) sf[3 * band + w] = (band + 2 * w) % 8;
    applyIntensity(b.spectrum, sf, g, 0, false);
    for (int w = 0; w < 3; ++w) {
        for (int band = 0; band < 13; ++band) {
            int position = sf[3 * (band < 12 ? band : 11) + w];
            for (int k = 0; k < shortWidth(band); ++k) {
                int line = 3 * shortStart(band) + w + 3 * k;
                if (band <= g.highestBand[w] || position == 7)
                    expectUntouched(b, line);
                else
                    expectPanned(b, line, position);
            }
        }
    }
}

TEST(IntensityStereo, MixedBlocksPanTheLongPartOnlyWhenTheShortPartIsEmpty)
{
    ScaleFactors sf = {};
    for (int band = 0; band < 8; ++band) sf[band] = 1; // long bands 0..7
    for (int i = 8; i < 38; ++i) sf[i] = 4;            // short bands 3..12, three windows
    GranuleInfo g;
    g.blockType = 2;
    g.mixedBlock = 1;

    // No value in any window's short part: the long part above band 5 too.
    Block empty;
    g.highestBand[0] = g.highestBand[1] = g.highestBand[2] = 2;
    g.highestBand[3] = 5;
    applyIntensity(empty.spectrum, sf, g, 0, false);
    for (int line = 0; line < longStart(6); ++line) expectUntouched(empty, line);
    for (int line = longStart(6); line < 36; ++line) expectPanned(empty, line, 1);
    for (int line = 36; line < 576; ++line) expectPanned(empty, line, 4);

    // A value in window 1's band 5: the long part stays, window 1 from band 6.
    Block some;
    g.highestBand[1] = 5;
    applyIntensity(some.spectrum, sf, g, 0, false);
    for (int line = 0; line < 36; ++line) expectUntouched(some, line);
    for (int band = 3; band < 13; ++band)
        for (int k = 0; k < shortWidth(band); ++k) {
            int line = 3 * shortStart(band) + 1 + 3 * k;
            if (band <= 5)
                expectUntouched(some, line);
            else
                expectPanned(some, line, 4);
            expectPanned(some, line - 1, 4); // window 0
        }
}

} // namespace
