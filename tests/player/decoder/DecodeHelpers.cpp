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
    mp3::Decoder decoder;
    decoder.setEqualiser(equaliser);
    decoder.setGapless(gapless);
    decoder.openSongInMemory(bytes.data(), bytes.size());
    mp3::FrameHeader header;
    mp3::FrameRead read;
    while ((read = decoder.nextFrame(header)) == mp3::FrameRead::frame) {
        if (result.frames == 0) {
            result.sampleRate = mp3::sampleRateHz(header);
            result.channels = header.channels;
        }
        ++result.frames;
        decoder.decodeFrame(header, sink);
    }
    if (read == mp3::FrameRead::notMp3)
        result.error = mp3::notValidMp3Text;
    else
        decoder.endStream();
    decoder.flushPcm(sink);
    result.skipped = decoder.skippedFrames();
    result.silenced = decoder.silencedSamples();
    decoder.closeSong();
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
