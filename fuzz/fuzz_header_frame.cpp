// Arbitrary first-frame bodies through the header-frame parser (Xing, Info,
// LAME tag, VBRI): whatever the bytes claim, what it reports must fit the
// stream it was told of.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "HeaderFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 5) return 0;
    // The first byte picks the frame's version and channels and the stream's
    // length, the rest is the body.
    mp3::FrameHeader header;
    header.lsf = data[0] & 1;
    header.channels = (data[0] & 2) ? 1 : 2;
    header.errorProtection = (data[0] >> 2) & 1;
    const std::uint64_t streamBytes = (size - 1) << (data[0] >> 4);
    ++data;
    --size;
    mp3::HeaderFrame facts = mp3::parseHeaderFrame(header, data, size, 1000, streamBytes);
    if (facts.kind == mp3::HeaderFrame::Kind::none) return 0;
    if (facts.frames < 0 || facts.bytes > streamBytes) std::abort();
    if (facts.hasToc) {
        for (int i = 0; i <= 100; ++i) {
            if (facts.tocPositions[i] > streamBytes) std::abort();
            if (i > 0 && facts.tocPositions[i] < facts.tocPositions[i - 1]) std::abort();
        }
    }
    if (facts.hasGaplessInfo && facts.encoderDelay + facts.encoderPadding >= facts.frames * 1152) std::abort();
    return 0;
}
