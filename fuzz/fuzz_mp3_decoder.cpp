// Arbitrary bytes through the frame reader and the whole decoder, as the
// player and sonorbox-decode use them, through the decoder's public calls,
// including seeks and gapless trimming.
#include <cstddef>
#include <cstdint>

#include "Mp3Decoder.h"

namespace {

class DiscardingSink : public mp3::PcmSink {
public:
    void writeBuffer(const std::uint8_t* data, int size) override
    {
        // Touch every byte handed on, so a block that leaves its buffer shows.
        for (int i = 0; i < size; ++i) checksum += data[i];
    }
    unsigned checksum = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static bool initialised = false;
    if (!initialised) {
        mp3::resetDecoder();
        initialised = true;
    }
    // The first byte picks the equaliser, gapless trimming and a seek, the
    // rest is the stream.
    const std::uint8_t control = size > 0 ? data[0] : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    mp3::setEqualiser(control & 1);
    mp3::setGapless(control & 2);
    DiscardingSink sink;
    mp3::openSongInMemory(data, size);
    mp3::FrameHeader header;
    try {
        for (int frame = 0; mp3::nextFrame(header); ++frame) {
            mp3::decodeFrame(header, sink);
            if (frame == 2 && (control & 4)) mp3::seekToFraction(header, (control >> 3) / 31.0);
        }
        mp3::streamLength(header);
    } catch (const mp3::TextException&) {
    }
    mp3::endStream();
    mp3::flushPcm(sink);
    mp3::closeSong();
    return 0;
}
