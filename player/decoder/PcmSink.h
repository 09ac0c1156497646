#pragma once

#include <cstdint>

namespace mp3 {

// Where the decoder hands its PCM: interleaved little-endian signed 16-bit
// stereo, left sample first, in blocks of pcmBlockBytes.
class PcmSink {
public:
    virtual ~PcmSink() = default;
    virtual void writeBuffer(const std::uint8_t* data, int size) = 0;
};

inline constexpr int pcmBlockBytes = 16384;

} // namespace mp3
