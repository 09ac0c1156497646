// Alias reduction, the IMDCTs with their windows and overlap, and frequency
// inversion, against the definitions of ISO/IEC 11172-3.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Hybrid.h"
#include "Requantise.h"

using namespace mp3;

namespace {

constexpr double pi = 3.14159265358979323846;

double standardWindow(int blockType, int i)
{
    auto longWindow = [](int n) { return std::sin(pi * (n + 0.5) / 36); };
    auto shortWindow = [](int n) { return std::sin(pi * (n + 0.5) / 12); };
    switch (blockType) {
    case 1:
        if (i < 18) return longWindow(i);
        if (i < 24) return 1.0;
        if (i < 30) return shortWindow(i - 18);
        return 0.0;
    case 3:
        if (i < 6) return 0.0;
        if (i < 12) return shortWindow(i - 6);
        if (i < 18) return 1.0;
        return longWindow(i);
    default:
        return longWindow(i);
    }
}

// The windowed 36-point IMDCT of one subband.
std::vector<double> longReference(const float* x, int blockType)
{
    std::vector<double> z(36);
    for (int i = 0; i < 36; ++i) {
        double y = 0.0;
        for (int k = 0; k < 18; ++k) y += x[k] * std::cos(pi * (2 * i + 19) * (2 * k + 1) / 72);
        z[static_cast<std::size_t>(i)] = standardWindow(blockType, i) * y;
    }
    return z;
}

// Three windowed 12-point IMDCTs overlapped at 6 + 6k.
std::vector<double> shortReference(const float* x)
{
    std::vector<double> z(36, 0.0);
    for (int k = 0; k < 3; ++k) {
        for (int i = 0; i < 12; ++i) {
            double y = 0.0;
            for (int j = 0; j < 6; ++j) y += x[3 * j + k] * std::cos(pi * (2 * i + 7) * (2 * j + 1) / 24);
            z[static_cast<std::size_t>(6 + 6 * k + i)] += std::sin(pi * (i + 0.5) / 12) * y;
        }
    }
    return z;
}

class HybridStage : public ::testing::Test {
protected:
    void randomise(float* values, int count, float scale = 1.0f)
    {
        std::uniform_real_distribution<float> d(-scale, scale);
        for (int i = 0; i < count; ++i) values[i] = d(rng);
    }

    HybridState hybridState;
    std::mt19937 rng{5};
    float out[18 * 32];
};

constexpr double tolerance = 1e-4;

TEST_F(HybridStage, Imdct36IsTheWindowedTransformForEachBlockType)
{
    for (int type : {0, 1, 3}) {
        for (bool odd : {false, true}) {
            SCOPED_TRACE(testing::Message() << "block type " << type << (odd ? ", odd" : ""));
            float x[18], in[18], prev[18], next[18];
            randomise(x, 18);
            randomise(prev, 18);
            std::copy(x, x + 18, in);
            const float* window = odd ? hybridTables().imdctWindowOdd[type] : hybridTables().imdctWindow[type];
            imdct36(in, prev, next, window, out);
            std::vector<double> z = longReference(x, type);
            for (int i = 0; i < 18; ++i) {
                double sign = odd && (i & 1) ? -1.0 : 1.0;
                EXPECT_NEAR(out[32 * i], prev[i] + sign * z[static_cast<std::size_t>(i)], tolerance) << i;
                EXPECT_NEAR(next[i], sign * z[static_cast<std::size_t>(18 + i)], tolerance) << i;
            }
        }
    }
}

TEST_F(HybridStage, Imdct12IsThreeOverlappedShortTransforms)
{
    for (bool odd : {false, true}) {
        float x[18], prev[18], next[18];
        randomise(x, 18);
        randomise(prev, 18);
        imdct12(x, prev, next, odd ? hybridTables().imdctWindowOdd[2] : hybridTables().imdctWindow[2], out);
        std::vector<double> z = shortReference(x);
        for (int i = 0; i < 18; ++i) {
            double sign = odd && (i & 1) ? -1.0 : 1.0;
            EXPECT_NEAR(out[32 * i], prev[i] + sign * z[static_cast<std::size_t>(i)], tolerance) << i;
            EXPECT_NEAR(next[i], sign * z[static_cast<std::size_t>(18 + i)], tolerance) << i;
        }
        for (int i = 0; i < 6; ++i) EXPECT_EQ(out[32 * i], prev[i]);
        for (int i = 12; i < 18; ++i) EXPECT_EQ(next[i], 0.0f);
    }
}

TEST_F(HybridStage, OddSubbandsAreNegatedInOddTimeSlots)
{
    float spectrum[576] = {};
    randomise(spectrum, 18);
    std::copy(spectrum, spectrum + 18, spectrum + 18);
    const std::vector<double> z = longReference(spectrum, 0);
    GranuleInfo g;
    g.maxLine = 2;
    hybridSynthesis(hybridState, spectrum, out, 0, g);
    for (int t = 0; t < 18; ++t) {
        EXPECT_NEAR(out[32 * t], z[static_cast<std::size_t>(t)], tolerance) << t;
        EXPECT_EQ(out[32 * t + 1], (t & 1) ? -out[32 * t] : out[32 * t]) << t;
        for (int sb = 2; sb < 32; ++sb) ASSERT_EQ(out[32 * t + sb], 0.0f);
    }
    // The stored halves come out in the next granule, inverted alike.
    float silence[576] = {};
    g.maxLine = 1;
    hybridSynthesis(hybridState, silence, out, 0, g);
    for (int t = 0; t < 18; ++t) {
        EXPECT_NEAR(out[32 * t], z[static_cast<std::size_t>(18 + t)], tolerance) << t;
        EXPECT_EQ(out[32 * t + 1], (t & 1) ? -out[32 * t] : out[32 * t]) << t;
    }
}

TEST_F(HybridStage, SubbandsAboveMaxLineOnlyReleaseTheirOverlap)
{
    float first[576];
    randomise(first, 576);
    float spectrum[576];
    std::copy(first, first + 576, spectrum);
    GranuleInfo g;
    g.maxLine = 32;
    hybridSynthesis(hybridState, spectrum, out, 0, g);

    float second[576] = {};
    randomise(second, 36);
    g.maxLine = 1;
    hybridSynthesis(hybridState, second, out, 0, g);
    for (int sb = 2; sb < 32; ++sb) {
        std::vector<double> z = longReference(first + 18 * sb, 0);
        for (int t = 0; t < 18; ++t) {
            double sign = (sb & 1) && (t & 1) ? -1.0 : 1.0;
            ASSERT_NEAR(out[32 * t + sb], sign * z[static_cast<std::size_t>(18 + t)], tolerance)
                << "subband " << sb << " slot " << t;
        }
    }
    float silence[576] = {};
    hybridSynthesis(hybridState, silence, out, 0, g);
    for (int t = 0; t < 18; ++t)
        for (int sb = 2; sb < 32; ++sb) ASSERT_EQ(out[32 * t + sb], 0.0f);
}

TEST_F(HybridStage, MixedBlocksUseTheNormalWindowBelowSubband2)
{
    float spectrum[576] = {};
    randomise(spectrum, 4 * 18);
    float copy[576];
    std::copy(spectrum, spectrum + 576, copy);
    GranuleInfo g;
    g.blockType = 2;
    g.mixedBlock = 1;
    g.maxLine = 4;
    hybridSynthesis(hybridState, spectrum, out, 0, g);
    std::vector<double> long0 = longReference(copy, 0);
    std::vector<double> short2 = shortReference(copy + 36);
    for (int t = 0; t < 18; ++t) {
        EXPECT_NEAR(out[32 * t], long0[static_cast<std::size_t>(t)], tolerance) << t;
        EXPECT_NEAR(out[32 * t + 2], short2[static_cast<std::size_t>(t)], tolerance) << t;
    }
}

TEST_F(HybridStage, TwoSilentGranulesGiveExactlyZero)
{
    float spectrum[576];
    randomise(spectrum, 576, 1000.0f);
    GranuleInfo g;
    g.blockType = 2;
    g.maxLine = 32;
    hybridSynthesis(hybridState, spectrum, out, 1, g);
    for (GranuleInfo silent : {GranuleInfo{}, GranuleInfo{}}) {
        float silence[576] = {};
        silent.maxLine = 32;
        hybridSynthesis(hybridState, silence, out, 1, silent);
    }
    for (float v : out) ASSERT_EQ(v, 0.0f);
}

TEST_F(HybridStage, EachChannelKeepsItsOwnOverlap)
{
    std::vector<std::vector<float>> a(3, std::vector<float>(576)), b(2, std::vector<float>(576));
    for (auto& s : a) randomise(s.data(), 576);
    for (auto& s : b) randomise(s.data(), 576);
    GranuleInfo g;
    g.maxLine = 32;

    std::vector<std::vector<float>> together;
    const int order[5][2] = {{0, 0}, {1, 0}, {0, 1}, {0, 2}, {1, 1}};
    const int expectedSelect[5][2] = {{1, 0}, {1, 1}, {0, 1}, {1, 1}, {1, 0}};
    for (int i = 0; i < 5; ++i) {
        int ch = order[i][0];
        std::vector<float> s = (ch == 0 ? a : b)[static_cast<std::size_t>(order[i][1])];
        hybridSynthesis(hybridState, s.data(), out, ch, g);
        if (ch == 0) together.emplace_back(out, out + 576);
        EXPECT_EQ(hybridState.overlapSelect[0], expectedSelect[i][0]) << i;
        EXPECT_EQ(hybridState.overlapSelect[1], expectedSelect[i][1]) << i;
    }
    hybridState = HybridState{};
    for (int i = 0; i < 3; ++i) {
        std::vector<float> s = a[static_cast<std::size_t>(i)];
        hybridSynthesis(hybridState, s.data(), out, 0, g);
        EXPECT_EQ(std::vector<float>(out, out + 576), together[static_cast<std::size_t>(i)]) << i;
    }
}

// Long blocks go through the transform four subbands at a time; each subband
// must come out exactly as the one-subband transform makes it, with its own
// window parity and overlap, for every limit (whole groups, a pair left over,
// an odd limit) and after a mixed block's first two subbands.
TEST_F(HybridStage, FourSubbandsAtATimeMatchTheOneSubbandTransformToTheBit)
{
    for (int type : {0, 1, 3}) {
        for (int maxLine : {32, 31, 30, 27, 8, 6, 3}) {
            for (unsigned mixed : {0u, 1u}) {
                SCOPED_TRACE(testing::Message() << "type " << type << ", maxLine " << maxLine << ", mixed " << mixed);
                float spectrum[576], overlap[576];
                randomise(spectrum, 576);
                randomise(overlap, 576);
                hybridState = HybridState{};
                std::copy(overlap, overlap + 576, hybridState.overlapStore[0][0]);
                GranuleInfo g;
                g.blockType = static_cast<std::uint32_t>(type);
                g.mixedBlock = mixed;
                g.maxLine = static_cast<std::uint32_t>(maxLine);
                float x[576];
                std::copy(spectrum, spectrum + 576, x);
                hybridSynthesis(hybridState, x, out, 0, g);

                const int transformed = (maxLine + 1) & ~1;
                for (int sb = 0; sb < transformed; ++sb) {
                    const int row = mixed && sb < 2 ? 0 : type;
                    const float* window =
                        (sb & 1) ? hybridTables().imdctWindowOdd[row] : hybridTables().imdctWindow[row];
                    float in[18], next[18], expected[18 * 32];
                    std::copy(spectrum + 18 * sb, spectrum + 18 * sb + 18, in);
                    imdct36(in, overlap + 18 * sb, next, window, expected);
                    for (int t = 0; t < 18; ++t) {
                        ASSERT_EQ(out[32 * t + sb], expected[32 * t]) << "subband " << sb << " slot " << t;
                        ASSERT_EQ(hybridState.overlapStore[1][0][18 * sb + t], next[t]) << "subband " << sb;
                    }
                }
                for (int sb = transformed; sb < 32; ++sb)
                    for (int t = 0; t < 18; ++t) ASSERT_EQ(out[32 * t + sb], overlap[18 * sb + t]);
            }
        }
    }
}

class AliasReduction : public HybridStage {
protected:
    void SetUp() override
    {
        HybridStage::SetUp();
        randomise(original, 576);
        std::copy(original, original + 576, spectrum);
    }
    // The indexes that changed, each checked against the butterfly.
    std::vector<int> changedAndChecked()
    {
        static const double c[8] = {-0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037};
        std::vector<int> changed;
        for (int n = 0; n < 576; ++n)
            if (spectrum[n] != original[n]) changed.push_back(n);
        for (int b = 1; b < 32; ++b) {
            for (int i = 0; i < 8; ++i) {
                int lo = 18 * b - 1 - i, up = 18 * b + i;
                if (spectrum[lo] == original[lo] && spectrum[up] == original[up]) continue;
                double s = std::sqrt(1.0 + c[i] * c[i]);
                EXPECT_NEAR(spectrum[lo], (original[lo] - original[up] * c[i]) / s, 1e-6);
                EXPECT_NEAR(spectrum[up], (original[up] + original[lo] * c[i]) / s, 1e-6);
            }
        }
        return changed;
    }
    static std::vector<int> boundaries(int count)
    {
        std::vector<int> n;
        for (int b = 1; b <= count; ++b)
            for (int k = 18 * b - 8; k < 18 * b + 8; ++k) n.push_back(k);
        return n;
    }

    float original[576];
    float spectrum[576];
    GranuleInfo g;
};

TEST_F(AliasReduction, LongBlocksTreatMaxLineLessOneBoundaries)
{
    for (unsigned type : {0u, 1u, 3u}) {
        SetUp();
        g.blockType = type;
        g.maxLine = 4;
        aliasReduce(spectrum, g);
        EXPECT_EQ(changedAndChecked(), boundaries(3)) << type;
    }
    SetUp();
    g.blockType = 0;
    g.maxLine = 32;
    aliasReduce(spectrum, g);
    EXPECT_EQ(changedAndChecked(), boundaries(31));
}

TEST_F(AliasReduction, MaxLine1AndPureShortBlocksAreLeftAlone)
{
    g.maxLine = 1;
    aliasReduce(spectrum, g);
    EXPECT_TRUE(changedAndChecked().empty());
    g.blockType = 2;
    g.maxLine = 32;
    aliasReduce(spectrum, g);
    EXPECT_TRUE(changedAndChecked().empty());
}

TEST_F(AliasReduction, MixedBlocksTreatOnlyTheFirstBoundary)
{
    g.blockType = 2;
    g.mixedBlock = 1;
    g.maxLine = 32;
    aliasReduce(spectrum, g);
    EXPECT_EQ(changedAndChecked(), boundaries(1));
}

} // namespace
