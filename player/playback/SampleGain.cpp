#include "SampleGain.h"

#include <algorithm>
#include <cmath>

float gainForVolume(int volume)
{
    const float level = static_cast<float>(std::clamp(volume, 0, 100)) / 100.0f;
    return level * level * level;
}

void applyGain(std::uint8_t* samples, int byteCount, float gain)
{
    if (gain == 1.0f) return;
    for (int i = 0; i + 1 < byteCount; i += 2) {
        const auto sample = static_cast<std::int16_t>(samples[i] | samples[i + 1] << 8);
        const long scaled = std::clamp(std::lround(static_cast<float>(sample) * gain), -32768L, 32767L);
        samples[i] = static_cast<std::uint8_t>(scaled & 0xFF);
        samples[i + 1] = static_cast<std::uint8_t>(static_cast<unsigned long>(scaled) >> 8 & 0xFF);
    }
}
