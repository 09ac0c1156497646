// The listener's volume as a factor on the samples.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "SampleGain.h"

TEST(Volume, TheGainFollowsTheCubicTaperRoundsAndLeavesFullVolumeBitExact)
{
    std::vector<std::uint8_t> samples;
    for (int value : {0, 1, -1, 3, -3, 32767, -32768, 12345, -12345})
        for (int shift : {0, 8}) samples.push_back(static_cast<std::uint8_t>(value >> shift));
    const std::vector<std::uint8_t> original = samples;
    applyGain(samples.data(), static_cast<int>(samples.size()), gainForVolume(100));
    EXPECT_EQ(samples, original);

    applyGain(samples.data(), static_cast<int>(samples.size()), 0.5f);
    auto sampleAt = [&](std::size_t i) { return static_cast<std::int16_t>(samples[2 * i] | samples[2 * i + 1] << 8); };
    const std::vector<int> halved = {0, 1, -1, 2, -2, 16384, -16384, 6173, -6173}; // to nearest, halves away from 0
    for (std::size_t i = 0; i < halved.size(); ++i) EXPECT_EQ(sampleAt(i), halved[i]) << i;

    EXPECT_FLOAT_EQ(gainForVolume(50), 0.125f);
    EXPECT_EQ(gainForVolume(0), 0.0f);
    EXPECT_EQ(gainForVolume(-10), 0.0f);
    EXPECT_EQ(gainForVolume(150), 1.0f);
}
