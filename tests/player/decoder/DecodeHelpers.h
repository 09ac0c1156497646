#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Mp3Decoder.h"

namespace mp3test {

// Collects every block the decoder hands on, and how.
class RecordingSink : public mp3::PcmSink {
public:
    void writeBuffer(const std::uint8_t* data, int size) override
    {
        blockSizes.push_back(size);
        bytes.insert(bytes.end(), data, data + size);
    }
    std::vector<int> blockSizes;
    std::vector<std::uint8_t> bytes;
};

struct DecodeResult {
    std::vector<std::int16_t> samples; // interleaved stereo, as the decoder writes it
    int frames = 0;
    std::string error;         // the text of the verdict that ended the stream, if any
    std::int64_t skipped = 0;  // frames played wholly or partly as silence for damage
    std::int64_t silenced = 0; // samples per channel so played
    int sampleRate = 0;
    int channels = 0;
};

std::vector<std::uint8_t> readFile(const std::string& path);

// Decodes a whole stream from memory the way sonorbox-decode does: a decoder
// of its own, the header frame passed over, the CRC word skipped, and the last
// partial block flushed. Gapless trimming only when asked for: most cases
// compare every decoded sample.
DecodeResult decodeBytes(const std::vector<std::uint8_t>& bytes, bool equaliser = false, bool gapless = false);

// The samples of one channel of an interleaved stereo sequence.
std::vector<std::int16_t> channel(const std::vector<std::int16_t>& stereo, int which);

std::string vectorsDir();
std::string testDataDir();

} // namespace mp3test
