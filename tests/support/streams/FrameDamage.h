#pragma once

// Finding the frames of a 44.1 kHz MPEG-1 Layer III stream, damaging one,
// and junk to put after one, for the decoder's, the player's and sonorbox-decode's tests alike.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace streamtest {

// Byte offsets of every frame of the stream from its start, found by walking
// its headers, and last the stream's size.
inline std::vector<std::size_t> frameOffsets(const std::vector<std::uint8_t>& bytes)
{
    static const int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    std::vector<std::size_t> offsets;
    for (std::size_t p = 0; p + 4 <= bytes.size();) {
        unsigned h = (unsigned(bytes[p]) << 24) | (bytes[p + 1] << 16) | (bytes[p + 2] << 8) | bytes[p + 3];
        if ((h >> 21) != 0x7FF || kbps[(h >> 12) & 15] == 0) break;
        offsets.push_back(p);
        p += 144000u * static_cast<unsigned>(kbps[(h >> 12) & 15]) / 44100u + ((h >> 9) & 1);
    }
    offsets.push_back(bytes.size());
    return offsets;
}

// Sets the window-switching flag of granule 0, channel 0 of the stereo frame
// at frameStart, with block type 0, which the standard does not allow: 53
// bits into the side information (main data begin 9, private bits 3, scfsi
// 8, part 2/3 length 12, big values 9, global gain 8, scale factor
// compression 4), after the CRC word when there is one.
inline void damageSideInformation(std::vector<std::uint8_t>& bytes, std::size_t frameStart)
{
    const bool crc = (bytes[frameStart + 1] & 1) == 0;
    const std::size_t bit = (frameStart + 4 + (crc ? 2 : 0)) * 8 + 53;
    auto setBit = [&](std::size_t at, bool on) {
        const auto mask = static_cast<std::uint8_t>(0x80u >> (at % 8));
        bytes[at / 8] = static_cast<std::uint8_t>(on ? bytes[at / 8] | mask : bytes[at / 8] & ~mask);
    };
    setBit(bit, true);
    setBit(bit + 1, false);
    setBit(bit + 2, false);
}

// Cuts the part 2/3 length of granule `granule`, channel 0 of the stereo
// frame at frameStart to one bit, so that its scale factors and Huffman data
// run past the granule's bits: 20 bits into the side information (main data
// begin 9, private bits 3, scfsi 8), and 59 bits further for each channel's
// granule before it, after the CRC word when there is one.
inline void damageHuffmanData(std::vector<std::uint8_t>& bytes, std::size_t frameStart, int granule)
{
    const bool crc = (bytes[frameStart + 1] & 1) == 0;
    const std::size_t first = (frameStart + 4 + (crc ? 2 : 0)) * 8 + 20 + static_cast<std::size_t>(granule) * 2 * 59;
    for (std::size_t bit = 0; bit < 12; ++bit) {
        const std::size_t at = first + bit;
        const auto mask = static_cast<std::uint8_t>(0x80u >> (at % 8));
        bytes[at / 8] = static_cast<std::uint8_t>(bit == 11 ? bytes[at / 8] | mask : bytes[at / 8] & ~mask);
    }
}

// Bytes full of the stream's own header word, spaced unlike its frames; the
// first stands a few bytes in, as where a download was torn off mid-frame.
inline std::vector<std::uint8_t> headerLikeJunk(std::size_t n, std::size_t spacing)
{
    std::mt19937 rng(5);
    std::vector<std::uint8_t> junk(n);
    for (auto& b : junk) b = static_cast<std::uint8_t>(rng());
    for (std::size_t at = 7; at + 4 <= n; at += spacing) {
        junk[at] = 0xFF;
        junk[at + 1] = 0xFB;
        junk[at + 2] = 0x90;
        junk[at + 3] = 0x64;
    }
    return junk;
}

} // namespace streamtest
