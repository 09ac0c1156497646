// Arbitrary bytes through the frame reader and the whole decoder, as the
// player and sonorbox-decode use them, including seeks.
#include <cstddef>
#include <cstdint>

#include "BitReader.h"
#include "DecodeFrame.h"
#include "Equaliser.h"
#include "PcmSink.h"
#include "Synthesis.h"
#include "TextException.h"

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
    // The first byte picks the equaliser and a seek, the rest is the stream.
    const std::uint8_t control = size > 0 ? data[0] : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    mp3::eqEnabled = control & 1;
    DiscardingSink sink;
    mp3::openMemoryStream(data, size);
    mp3::resetSync();
    mp3::FrameHeader header;
    try {
        for (int frame = 0; mp3::readFrame(header); ++frame) {
            if (header.errorProtection) mp3::getBits(16);
            mp3::decodeFrame(header, sink);
            if (frame == 2 && (control & 2)) {
                mp3::resetPcmOutput();
                mp3::seekFrame(header, mp3::frameCount(header) * (control >> 2) / 64);
            }
        }
    } catch (const mp3::TextException&) {
    }
    mp3::flushPcm(sink);
    mp3::closeStream();
    return 0;
}
