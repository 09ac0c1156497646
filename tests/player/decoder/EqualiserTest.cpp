// The equaliser curve and its application to both channels.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "Equaliser.h"

using namespace mp3;

namespace {

class EqualiserCurve : public ::testing::Test {
protected:
    void SetUp() override { buildGainCurve(curve, defaultEqualiserGains); }
    GainCurve curve;
};

TEST_F(EqualiserCurve, BreakPointsAndRamps)
{
    EXPECT_EQ(curve.gainCurve[0], 1.2f);
    EXPECT_NEAR(curve.gainCurve[1], 1.16, 1e-6);
    EXPECT_NEAR(curve.gainCurve[4], 1.04, 1e-6);
    EXPECT_EQ(curve.gainCurve[5], 1.0f);
    EXPECT_EQ(curve.gainCurve[10], 1.1f);
    EXPECT_EQ(curve.gainCurve[20], 1.2f);
    EXPECT_EQ(curve.gainCurve[100], 1.5f);
    EXPECT_EQ(curve.gainCurve[400], 1.9f);
    EXPECT_NEAR(curve.gainCurve[75], 1.45, 1e-6);
    const double last = 1.9f + (2.0 - double(1.9f)) * 175.0 / 176.0;
    EXPECT_NEAR(curve.gainCurve[575], last, 1e-6);
    EXPECT_LT(curve.gainCurve[575], 2.0f);
    for (int k = 6; k < 576; ++k) ASSERT_GT(curve.gainCurve[k], curve.gainCurve[k - 1]) << k;
}

TEST_F(EqualiserCurve, EveryPositionIsOnItsSegment)
{
    for (int i = 0; i < 11; ++i) {
        int a = gainBreakLines[i], b = gainBreakLines[i + 1];
        double ga = defaultEqualiserGains[i], gb = defaultEqualiserGains[i + 1];
        for (int j = a; j < b; ++j) ASSERT_NEAR(curve.gainCurve[j], ga + (gb - ga) * (j - a) / (b - a), 2e-7) << j;
    }
}

TEST_F(EqualiserCurve, ABuildReplacesEveryPosition)
{
    const float flat[12] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    buildGainCurve(curve, flat);
    for (int k = 0; k < 576; ++k) ASSERT_EQ(curve.gainCurve[k], 0.5f) << k;
    for (int k = 0; k < 576; ++k) ASSERT_EQ(curve.appliedGains[k], 0.5f) << k;
}

// The headroom scales the whole curve, so that no line is raised: the shape
// stays, and the largest gain is 1.
TEST_F(EqualiserCurve, TheAppliedCurveIsTheShapeScaledToALargestGainOfOne)
{
    EXPECT_NEAR(curve.headroom, 1.0 / curve.gainCurve[575], 1e-7);
    float largest = 0.0f;
    for (int k = 0; k < 576; ++k) {
        ASSERT_LE(curve.appliedGains[k], 1.0f) << k;
        ASSERT_NEAR(curve.appliedGains[k], double(curve.gainCurve[k]) * curve.headroom, 1e-7) << k;
        largest = std::max(largest, curve.appliedGains[k]);
    }
    EXPECT_GE(largest, 1.0f - 1e-6f);
    // 1.2 at the bottom against 1.0 at line 5, and so on, as the gains say.
    EXPECT_NEAR(curve.appliedGains[0] / curve.appliedGains[5], 1.2, 1e-6);
    EXPECT_NEAR(curve.appliedGains[400] / curve.appliedGains[100], 1.9 / 1.5, 1e-6);
}

TEST_F(EqualiserCurve, ACurveThatRaisesNothingIsAppliedAsItStands)
{
    const float cut[12] = {1.0f, 0.9f, 0.8f, 0.7f, 0.6f, 0.5f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 1.0f};
    buildGainCurve(curve, cut);
    EXPECT_EQ(curve.headroom, 1.0f);
    for (int k = 0; k < 576; ++k) ASSERT_EQ(curve.appliedGains[k], curve.gainCurve[k]) << k;
}

TEST_F(EqualiserCurve, BothChannelsAreScaledByPosition)
{
    float spectrum[1152];
    std::fill(std::begin(spectrum), std::end(spectrum), 1.0f);
    applyEqualiser(curve, spectrum);
    for (int k = 0; k < 576; ++k) {
        ASSERT_EQ(spectrum[k], curve.appliedGains[k]) << k;
        ASSERT_EQ(spectrum[576 + k], curve.appliedGains[k]) << k;
    }

    std::mt19937 rng(9);
    std::uniform_real_distribution<float> d(-100.0f, 100.0f);
    float original[1152];
    for (float& v : original) v = d(rng);
    std::copy(original, original + 1152, spectrum);
    applyEqualiser(curve, spectrum);
    for (int k = 0; k < 1152; ++k) ASSERT_EQ(spectrum[k], original[k] * curve.appliedGains[k % 576]) << k;
}

} // namespace
