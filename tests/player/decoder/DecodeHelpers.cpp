#include "DecodeHelpers.h"

#include <fstream>
#include <iterator>

#include "Mp3Decoder.h"

namespace mp3test {

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DecodeResult decodeBytes(const std::vector<std::uint8_t>& bytes, bool equaliser, bool gapless)
{
    DecodeResult result;
    RecordingSink sink;
    mp3::setEqualiser(equaliser);
    mp3::setGapless(gapless);
    mp3::resetDecoder();
    mp3::openSongInMemory(bytes.data(), bytes.size());
    mp3::FrameHeader header;
    try {
        while (mp3::nextFrame(header)) {
            if (result.frames == 0) {
                result.sampleRate = mp3::sampleRateHz(header);
                result.channels = header.channels;
            }
            ++result.frames;
            mp3::decodeFrame(header, sink);
        }
        mp3::endStream();
    } catch (const mp3::TextException& e) {
        result.error = e.text();
    }
    mp3::flushPcm(sink);
    result.skipped = mp3::skippedFrames();
    result.silenced = mp3::silencedSamples();
    mp3::closeSong();
    mp3::setGapless(true);
    result.samples.resize(sink.bytes.size() / 2);
    for (std::size_t i = 0; i < result.samples.size(); ++i)
        result.samples[i] = static_cast<std::int16_t>(sink.bytes[2 * i] | (sink.bytes[2 * i + 1] << 8));
    return result;
}

std::vector<std::int16_t> channel(const std::vector<std::int16_t>& stereo, int which)
{
    std::vector<std::int16_t> out;
    out.reserve(stereo.size() / 2);
    for (std::size_t i = static_cast<std::size_t>(which); i < stereo.size(); i += 2) out.push_back(stereo[i]);
    return out;
}

std::string vectorsDir()
{
    return VECTORS_DIR;
}
std::string testDataDir()
{
    return TEST_DATA_DIR;
}

} // namespace mp3test
