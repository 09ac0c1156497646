// Arbitrary bytes through the frame reader and the whole decoder, as the
// player and sonorbox-decode use them, through the decoder's public calls,
// including seeks, gapless trimming and the tags at a stream's end.
#include <cstddef>
#include <cstdint>

#include "Mp3Decoder.h"

namespace {

class DiscardingSink : public mp3::PcmSink {
public:
    void writeBuffer(const std::uint8_t* data, int size) override
    {
        // Touch both ends of each block handed on, so a block that leaves
        // its buffer shows: the sanitizer guards the bytes around the buffer.
        if (size > 0) checksum += data[0] + data[size - 1];
    }
    unsigned checksum = 0;
};

// A few dozen frames: longer inputs only repeat what their start has shown,
// at a cost that keeps the fuzzer from trying many inputs.
constexpr std::size_t maxInputBytes = 16 * 1024;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > maxInputBytes) return -1;
    // The first byte picks the equaliser, gapless trimming and a seek, the
    // rest is the stream.
    const std::uint8_t control = size > 0 ? data[0] : 0;
    if (size > 0) {
        ++data;
        --size;
    }
    mp3::Decoder decoder;
    decoder.setEqualiser(control & 1);
    decoder.setGapless(control & 2);
    DiscardingSink sink;
    decoder.openSongInMemory(data, size);
    mp3::FrameHeader header;
    for (int frame = 0; decoder.nextFrame(header) == mp3::FrameRead::frame; ++frame) {
        decoder.decodeFrame(header, sink);
        if (frame == 2 && (control & 4)) decoder.seekToFraction(header, (control >> 3) / 31.0);
    }
    decoder.streamLength(header);
    decoder.streamBitrateKbps(header);
    decoder.endStream();
    decoder.flushPcm(sink);
    decoder.closeSong();
    return 0;
}
