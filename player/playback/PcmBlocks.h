#pragma once

#include <cstdint>

#include "AudioDevice.h"
#include "Mp3Decoder.h"
#include "PlayerReadouts.h"

// The sizes and rates of the audio path, derived here and nowhere else. The
// decoder hands blocks of 16384 bytes: 4096 sample frames of 16-bit stereo.
// 64 of them queued on the device are 64 x 4096 / 44100 = 5.94 s of audio.
namespace pcm {

inline constexpr int bytesPerFrame = 4;
inline constexpr int blockBytes = mp3::pcmBlockBytes;
inline constexpr int blockFrames = blockBytes / bytesPerFrame;
inline constexpr int blockCount = AudioDevice::maxQueued;
// The one rate the player accepts.
inline constexpr int framesPerSecond = Audible::framesPerSecond;

inline constexpr int wholeSeconds(std::uint32_t frames)
{
    return static_cast<int>(frames / framesPerSecond);
}

} // namespace pcm
