// The polyphase synthesis filterbank against the standard's definition
// (matrixing into a history V, the windowed sum over U), and the PCM output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "Mp3Decoder.h"
#include "Synthesis.h"

using namespace mp3;

namespace {

constexpr double pi = 3.14159265358979323846;

double matrixed(const float* s, int m)
{
    double x = 0.0;
    for (int k = 0; k < 32; ++k) x += s[k] * std::cos(m * (2 * k + 1) * pi / 64);
    return x;
}

double windowCoefficient(int n)
{
    int w = n <= 256 ? synthesisWindowHalf[n] : synthesisWindowHalf[512 - n];
    return ((n / 64) & 1 ? -w : w) / 65536.0;
}

// ISO/IEC 11172-3 synthesis of one channel in double precision.
class ReferenceFilter {
public:
    void step(const float* samples, double* sums)
    {
        for (int i = 1023; i >= 64; --i) v_[i] = v_[i - 64];
        for (int i = 0; i < 64; ++i) v_[i] = matrixed(samples, 16 + i);
        double u[512];
        for (int i = 0; i < 8; ++i) {
            for (int j = 0; j < 32; ++j) {
                u[64 * i + j] = v_[128 * i + j];
                u[64 * i + 32 + j] = v_[128 * i + 96 + j];
            }
        }
        for (int j = 0; j < 32; ++j) {
            double sum = 0.0;
            for (int i = 0; i < 16; ++i) sum += u[j + 32 * i] * windowCoefficient(j + 32 * i);
            sums[j] = 32768.0 * sum;
        }
    }

private:
    double v_[1024] = {};
};

int toSample(double sum)
{
    double r = std::nearbyint(sum);
    return r > 32767 ? 32767 : r < -32768 ? -32768 : static_cast<int>(r);
}

class SynthesisFilter : public ::testing::Test {
protected:
    int sampleAt(int frame, int channel) const
    {
        const std::uint8_t* p = synthesis.pcmBuffer + 4 * frame + 2 * channel;
        return static_cast<std::int16_t>(p[0] | (p[1] << 8));
    }

    SynthesisState synthesis;
    std::mt19937 rng{3};
};

TEST_F(SynthesisFilter, MatchesTheStandardsWindowedSum)
{
    ReferenceFilter reference[2];
    std::uniform_real_distribution<float> d(-0.08f, 0.08f);
    int largest = 0;
    for (int call = 0; call < 48; ++call) {
        float samples[2][32];
        for (auto& channel : samples)
            for (float& s : channel) s = d(rng);
        // Loud slots now and then, to reach saturation too.
        if (call % 16 == 7)
            for (float& s : samples[1]) s *= 12.0f;
        synthesis.pcmFill = 0;
        synthesize(synthesis, samples[0], samples[1]);
        ASSERT_EQ(synthesis.pcmFill, 128);
        for (int ch = 0; ch < 2; ++ch) {
            double sums[32];
            reference[ch].step(samples[ch], sums);
            for (int j = 0; j < 32; ++j) {
                int got = sampleAt(j, ch);
                ASSERT_NEAR(got, toSample(sums[j]), 1) << "call " << call << " channel " << ch << " sample " << j;
                if (std::abs(got) < 32767) largest = std::max(largest, std::abs(got));
            }
        }
    }
    EXPECT_GT(largest, 1000);
}

TEST_F(SynthesisFilter, TheFirstCallAfterAResetStoresAtOffsets0And1)
{
    float samples[32];
    std::uniform_real_distribution<float> d(-1.0f, 1.0f);
    for (float& s : samples) s = d(rng);
    synthesize(synthesis, samples, samples);
    EXPECT_EQ(synthesis.ringOffset, 0);
    for (int q = 0; q <= 16; ++q) EXPECT_NEAR(synthesis.synthesisBuffer[0][0][16 * q], matrixed(samples, 16 - q), 1e-4);
    for (int q = 0; q < 16; ++q)
        EXPECT_NEAR(synthesis.synthesisBuffer[1][1][1 + 16 * q], matrixed(samples, 16 + q), 1e-4);
}

TEST_F(SynthesisFilter, TheDctIsTheMatrixingSum)
{
    for (int round = 0; round < 10; ++round) {
        float samples[32];
        std::uniform_real_distribution<float> d(-1.0f, 1.0f);
        for (float& s : samples) s = d(rng);
        std::vector<float> out0(257, 1234.0f), out1(257, 1234.0f);
        synthesisDct(out0.data(), out1.data(), samples);
        for (int q = 0; q <= 16; ++q)
            ASSERT_NEAR(out0[16 * static_cast<std::size_t>(q)], matrixed(samples, 16 - q), 2e-4) << q;
        for (int q = 0; q < 16; ++q)
            ASSERT_NEAR(out1[16 * static_cast<std::size_t>(q)], matrixed(samples, 16 + q), 2e-4) << q;
        double plainSum = 0.0;
        for (float s : samples) plainSum += s;
        EXPECT_NEAR(out0[256], plainSum, 1e-4);
        for (std::size_t i = 0; i < 257; ++i) {
            if (i % 16 == 0) continue;
            ASSERT_EQ(out0[i], 1234.0f) << i;
            ASSERT_EQ(out1[i], 1234.0f) << i;
        }
    }
}

TEST_F(SynthesisFilter, SilenceGivesZerosAndABlockAfter128Calls)
{
    std::memset(synthesis.pcmBuffer, 0x55, sizeof synthesis.pcmBuffer);
    const float zeros[32] = {};
    for (int call = 0; call < 128; ++call) synthesize(synthesis, zeros, zeros);
    EXPECT_EQ(synthesis.pcmFill, 16384);
    for (int i = 0; i < 16384; ++i) ASSERT_EQ(synthesis.pcmBuffer[i], 0) << i;
}

// Each sum of a time slot becomes its sample as the filterbank stores it.
TEST_F(SynthesisFilter, SamplesRoundToNearestEvenAndSaturate)
{
    const std::pair<float, int> cases[] = {
        {2.5f, 2},           {3.5f, 4},           {-2.5f, -2},       {0.5f, 0},           {1.49f, 1},
        {-1.51f, -2},        {32766.5f, 32766},   {32767.5f, 32767}, {40000.0f, 32767},   {3.0e9f, 32767},
        {-32768.5f, -32768}, {-32767.5f, -32768}, {-1.0e9f, -32768}, {-32769.0f, -32768}, {1234.0f, 1234}};
    for (const auto& c : cases) {
        float sums[32];
        std::fill(std::begin(sums), std::end(sums), c.first);
        storeSamples(sums, sums, synthesis.pcmBuffer);
        for (int j = 0; j < 32; ++j) {
            ASSERT_EQ(sampleAt(j, 0), c.second) << "sum " << c.first << " sample " << j;
            ASSERT_EQ(sampleAt(j, 1), c.second) << "sum " << c.first << " sample " << j;
        }
    }
}

} // namespace
