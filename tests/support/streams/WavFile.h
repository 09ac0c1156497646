#pragma once

// A WAV file as a user might drop into a list of songs: a RIFF header and
// 16-bit stereo samples at 44.1 kHz, for the tests of what is no MP3 file.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>

namespace streamtest {

// A tone of the given amplitude with a little seeded noise, one second long.
// Its samples hold many words that look like headers of some MPEG format.
inline std::string wavFile(double amplitude)
{
    constexpr std::uint32_t sampleFrames = 44100;
    std::string bytes;
    auto put = [&](std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    const std::uint32_t dataBytes = sampleFrames * 4;
    bytes += "RIFF";
    put(36 + dataBytes, 4);
    bytes += "WAVEfmt ";
    put(16, 4), put(1, 2), put(2, 2), put(44100, 4), put(44100 * 4, 4), put(4, 2), put(16, 2);
    bytes += "data";
    put(dataBytes, 4);
    std::mt19937 rng(9);
    std::normal_distribution<double> noise(0.0, 4.0);
    for (std::uint32_t i = 0; i < sampleFrames; ++i) {
        const double tone = amplitude * std::sin(2 * std::numbers::pi * 440 * i / 44100.0);
        for (int ch = 0; ch < 2; ++ch)
            put(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(tone + noise(rng)))), 2);
    }
    return bytes;
}

} // namespace streamtest
