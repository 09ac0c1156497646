// Header frames as their published layouts describe them: the Xing/Info
// header (flags, then frame count, byte count, 100-entry table of contents
// and quality, each present when its flag is set), the LAME tag that follows
// it (encoder delay and padding in 12 bits each, 21 bytes into the tag), and
// the VBRI header (fixed fields, then a table of segment sizes).
#include "HeaderFrame.h"

#include <cstring>

namespace mp3 {

namespace {

constexpr std::uint32_t xingFrames = 1;
constexpr std::uint32_t xingBytes = 2;
constexpr std::uint32_t xingToc = 4;
constexpr std::uint32_t xingQuality = 8;

// The smallest Layer III frame of all: 8 kbit/s at 24 kHz is 24 bytes. A
// stream cannot hold more frames than that allows.
constexpr std::uint64_t smallestFrameBytes = 24;

std::uint32_t bigEndian(const std::uint8_t* p, int n)
{
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
    return v;
}

// Side information bytes before a Xing header: 32/17 for MPEG-1 stereo/mono,
// 17/9 for the low sampling frequencies.
std::size_t sideInfoBytes(const FrameHeader& header)
{
    if (header.lsf == 0) return header.channels == 1 ? 17 : 32;
    return header.channels == 1 ? 9 : 17;
}

bool believableFrameCount(std::int64_t frames, std::uint64_t streamBytes)
{
    return frames > 0 && static_cast<std::uint64_t>(frames) <= streamBytes / smallestFrameBytes;
}

// The byte count covers the header frame too: its four header bytes and its body.
void takeByteCount(HeaderFrame& facts, std::uint64_t bytes, std::size_t bodySize)
{
    facts.bytes = bytes;
    const std::uint64_t ownBytes = 4 + bodySize;
    facts.audioBytes = bytes > ownBytes ? bytes - ownBytes : 0;
}

void readLameTag(HeaderFrame& facts, const std::uint8_t* tag, std::size_t available)
{
    constexpr std::size_t gaplessField = 21;
    if (available < gaplessField + 3) return;
    bool known = std::memcmp(tag, "LAME", 4) == 0 || std::memcmp(tag, "L3.9", 4) == 0 ||
                 std::memcmp(tag, "Lavf", 4) == 0 || std::memcmp(tag, "Lavc", 4) == 0;
    if (!known) return;
    std::uint32_t both = bigEndian(tag + gaplessField, 3);
    int delay = static_cast<int>(both >> 12);
    int padding = static_cast<int>(both & 0xFFF);
    // Without a frame count the trimming has no end to count from; a delay
    // and padding longer than the stream are not true.
    if (facts.frames == 0 || delay + padding >= facts.frames * 1152) return;
    facts.hasGaplessInfo = true;
    facts.encoderDelay = delay;
    facts.encoderPadding = padding;
}

bool parseXing(HeaderFrame& facts, const FrameHeader& header, const std::uint8_t* body, std::size_t size,
               std::uint64_t streamBytes)
{
    // With a CRC word the header may stand after it or where it would be without one.
    const std::size_t starts[2] = {sideInfoBytes(header), sideInfoBytes(header) + 2};
    const std::uint8_t* p = nullptr;
    for (std::size_t start : starts) {
        if (start + 8 > size) continue;
        if (std::memcmp(body + start, "Xing", 4) == 0 || std::memcmp(body + start, "Info", 4) == 0) {
            p = body + start;
            break;
        }
    }
    if (p == nullptr) return false;
    const std::uint8_t* end = body + size;
    facts.kind = p[0] == 'X' ? HeaderFrame::Kind::xing : HeaderFrame::Kind::info;
    std::uint32_t flags = bigEndian(p + 4, 4);
    const std::uint8_t* field = p + 8;
    auto fits = [&](std::size_t n) { return static_cast<std::size_t>(end - field) >= n; };

    if (flags & xingFrames) {
        if (!fits(4)) return true;
        std::int64_t frames = bigEndian(field, 4);
        if (believableFrameCount(frames, streamBytes)) facts.frames = frames;
        field += 4;
    }
    if (flags & xingBytes) {
        if (!fits(4)) return true;
        std::uint64_t bytes = bigEndian(field, 4);
        // A byte count a little short of the file leaves out tags at its end.
        if (bytes > 0 && bytes <= streamBytes) takeByteCount(facts, bytes, size);
        field += 4;
    }
    const std::uint8_t* toc = nullptr;
    if (flags & xingToc) {
        if (!fits(100)) return true;
        toc = field;
        field += 100;
    }
    if (flags & xingQuality) {
        if (!fits(4)) return true;
        field += 4;
    }
    if (toc != nullptr && facts.frames > 0) {
        bool increasing = true;
        for (int i = 1; i < 100; ++i) increasing = increasing && toc[i] >= toc[i - 1];
        if (increasing) {
            facts.hasToc = true;
            // Entry i is the position of i percent of the duration, in 256ths of the stream.
            for (int i = 0; i < 100; ++i) facts.tocPositions[i] = toc[i] * facts.bytes / 256;
            facts.tocPositions[100] = facts.bytes;
        }
    }
    readLameTag(facts, field, static_cast<std::size_t>(end - field));
    return true;
}

bool parseVbri(HeaderFrame& facts, const std::uint8_t* body, std::size_t size, std::uint64_t streamBytes)
{
    constexpr std::size_t start = 32;
    constexpr std::size_t fixedPart = 26;
    if (size < start + fixedPart || std::memcmp(body + start, "VBRI", 4) != 0) return false;
    const std::uint8_t* p = body + start;
    facts.kind = HeaderFrame::Kind::vbri;
    std::uint64_t bytes = bigEndian(p + 10, 4);
    std::int64_t frames = bigEndian(p + 14, 4);
    if (bytes > 0 && bytes <= streamBytes) takeByteCount(facts, bytes, size);
    if (!believableFrameCount(frames, streamBytes)) return true;
    facts.frames = frames;

    const std::uint32_t entries = bigEndian(p + 18, 2);
    const std::uint32_t scale = bigEndian(p + 20, 2);
    const std::uint32_t entryBytes = bigEndian(p + 22, 2);
    const std::uint32_t framesPerEntry = bigEndian(p + 24, 2);
    if (entries == 0 || entryBytes < 1 || entryBytes > 4 || framesPerEntry == 0 ||
        entries * entryBytes > size - start - fixedPart)
        return true;
    // Entry k is the size of the k-th run of framesPerEntry frames; the
    // position of frame f is the sum of the runs before it, and part of its own.
    const std::uint8_t* table = p + fixedPart;
    std::uint64_t runStart = 0;
    std::uint32_t k = 0;
    for (int percent = 0; percent <= 100; ++percent) {
        std::uint64_t frame = static_cast<std::uint64_t>(frames) * static_cast<std::uint64_t>(percent) / 100;
        std::uint64_t runIndex = frame / framesPerEntry;
        while (k < entries && k < runIndex) {
            runStart += std::uint64_t(bigEndian(table + k * entryBytes, static_cast<int>(entryBytes))) * scale;
            ++k;
        }
        std::uint64_t position = runStart;
        if (k == runIndex && k < entries) {
            std::uint64_t run = std::uint64_t(bigEndian(table + k * entryBytes, static_cast<int>(entryBytes))) * scale;
            position += run * (frame % framesPerEntry) / framesPerEntry;
        }
        // The table counts the audio frames, which start after this one.
        position += 4 + size;
        if (position > streamBytes) return true;
        facts.tocPositions[percent] = position;
    }
    facts.hasToc = true;
    return true;
}

} // namespace

HeaderFrame parseHeaderFrame(const FrameHeader& header, const std::uint8_t* body, std::size_t size,
                             std::uint64_t offset, std::uint64_t streamBytes)
{
    HeaderFrame facts;
    facts.offset = offset;
    facts.bytes = streamBytes;
    if (!parseXing(facts, header, body, size, streamBytes) && !parseVbri(facts, body, size, streamBytes))
        return HeaderFrame{};
    return facts;
}

} // namespace mp3
