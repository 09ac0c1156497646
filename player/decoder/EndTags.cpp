// Tags appended to a song: their bytes are text, numbers and pictures, any of
// which may look like a frame header, so the stream ends where they begin.
#include "EndTags.h"

#include <algorithm>
#include <cstring>

namespace mp3 {

namespace {

constexpr std::uint64_t id3v1Bytes = 128;
// Extended ID3v1: "TAG+" and 223 bytes, just before the ID3v1 tag.
constexpr std::uint64_t id3v1ExtendedBytes = 227;
// ID3v2.4 header and footer: "ID3" / "3DI", version, revision, flags, and
// the size of what lies between them as four 7-bit bytes.
constexpr std::uint64_t id3v2FrameBytes = 10;
constexpr std::uint64_t apeFooterBytes = 32;
constexpr char lyricsBegin[] = "LYRICSBEGIN";
constexpr std::uint64_t lyricsBeginBytes = sizeof lyricsBegin - 1;
// Lyrics3 v1: "LYRICSBEGIN", at most 5100 bytes of lyrics, "LYRICSEND".
constexpr std::uint64_t lyrics1MaxText = 5100;
constexpr std::uint64_t lyricsEndBytes = 9;
// Lyrics3 v2: "LYRICSBEGIN" and fields, then their size as six decimal
// digits and "LYRICS200".
constexpr std::uint64_t lyrics2TrailerBytes = 15;

std::uint32_t littleEndian32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

bool readAt(InputStream& s, std::uint64_t offset, std::uint8_t* to, std::size_t n)
{
    return s.seek(offset) && s.read(to, n) == n;
}

bool holdsText(InputStream& s, std::uint64_t offset, const char* text)
{
    std::uint8_t bytes[16];
    std::size_t n = std::strlen(text);
    return readAt(s, offset, bytes, n) && std::memcmp(bytes, text, n) == 0;
}

// The tag and the bytes before `end` that it claims; each finder gives the
// tag's start, or `end` when none ends there.
class EndTagFinder {
public:
    EndTagFinder(InputStream& stream, std::uint64_t audioStart) : s_(stream), audioStart_(audioStart) {}

    // ID3v1 (id3.org): "TAG" and 125 bytes, the file's last 128.
    std::uint64_t id3v1(std::uint64_t end)
    {
        if (!fits(end, id3v1Bytes) || !holdsText(s_, end - id3v1Bytes, "TAG")) return end;
        return end - id3v1Bytes;
    }

    std::uint64_t id3v1Extended(std::uint64_t end)
    {
        if (!fits(end, id3v1ExtendedBytes) || !holdsText(s_, end - id3v1ExtendedBytes, "TAG+")) return end;
        return end - id3v1ExtendedBytes;
    }

    // An ID3v2 tag appended to the file ends in a footer, so it can be found
    // from the end.
    std::uint64_t id3v2(std::uint64_t end)
    {
        std::uint8_t footer[id3v2FrameBytes];
        if (!fits(end, 2 * id3v2FrameBytes) || !readAt(s_, end - id3v2FrameBytes, footer, sizeof footer) ||
            std::memcmp(footer, "3DI", 3) != 0)
            return end;
        std::uint64_t size = 0;
        for (int i = 6; i < 10; ++i) {
            if (footer[i] & 0x80) return end;
            size = (size << 7) | footer[i];
        }
        std::uint64_t bytes = size + 2 * id3v2FrameBytes;
        if (!fits(end, bytes) || !holdsText(s_, end - bytes, "ID3")) return end;
        return end - bytes;
    }

    // APE tag footer: "APETAGEX", version, the tag's size (items and footer,
    // not the header), item count, flags (bit 31: the tag has a header),
    // eight reserved bytes.
    std::uint64_t ape(std::uint64_t end)
    {
        std::uint8_t footer[apeFooterBytes];
        if (!fits(end, apeFooterBytes) || !readAt(s_, end - apeFooterBytes, footer, sizeof footer) ||
            std::memcmp(footer, "APETAGEX", 8) != 0)
            return end;
        std::uint64_t size = littleEndian32(footer + 12);
        bool hasHeader = (littleEndian32(footer + 20) & 0x80000000u) != 0;
        std::uint64_t bytes = size + (hasHeader ? apeFooterBytes : 0);
        if (size < apeFooterBytes || !fits(end, bytes)) return end;
        if (hasHeader && !holdsText(s_, end - bytes, "APETAGEX")) return end;
        return end - bytes;
    }

    std::uint64_t lyrics3v2(std::uint64_t end)
    {
        std::uint8_t trailer[lyrics2TrailerBytes];
        if (!fits(end, lyrics2TrailerBytes) || !readAt(s_, end - lyrics2TrailerBytes, trailer, sizeof trailer) ||
            std::memcmp(trailer + 6, "LYRICS200", 9) != 0)
            return end;
        std::uint64_t size = 0;
        for (int i = 0; i < 6; ++i) {
            if (trailer[i] < '0' || trailer[i] > '9') return end;
            size = size * 10 + (trailer[i] - '0');
        }
        std::uint64_t bytes = size + lyrics2TrailerBytes;
        if (size < lyricsBeginBytes || !fits(end, bytes) || !holdsText(s_, end - bytes, lyricsBegin)) return end;
        return end - bytes;
    }

    // Lyrics3 v1 gives no size: its start is the nearest "LYRICSBEGIN"
    // within the longest lyrics it may hold.
    std::uint64_t lyrics3v1(std::uint64_t end)
    {
        if (!fits(end, lyricsBeginBytes + lyricsEndBytes) || !holdsText(s_, end - lyricsEndBytes, "LYRICSEND"))
            return end;
        std::uint64_t window = std::min(end - audioStart_, lyricsBeginBytes + lyrics1MaxText + lyricsEndBytes);
        auto n = static_cast<std::size_t>(window);
        if (!readAt(s_, end - window, window_, n)) return end;
        for (std::size_t at = n - lyricsEndBytes - lyricsBeginBytes + 1; at-- > 0;)
            if (std::memcmp(window_ + at, lyricsBegin, lyricsBeginBytes) == 0) return end - window + at;
        return end;
    }

private:
    bool fits(std::uint64_t end, std::uint64_t bytes) const { return end >= audioStart_ && end - audioStart_ >= bytes; }

    InputStream& s_;
    std::uint64_t audioStart_;
    std::uint8_t window_[lyricsBeginBytes + lyrics1MaxText + lyricsEndBytes];
};

} // namespace

std::uint64_t findEndTagsStart(InputStream& stream, std::uint64_t audioStart)
{
    EndTagFinder find(stream, audioStart);
    std::uint64_t end = find.id3v1(stream.size());
    // Lyrics3 and the extended ID3v1 tag are defined only in front of an
    // ID3v1 tag; APE and appended ID3v2 tags stand before either or at the
    // very end, and tags may be stacked.
    const bool afterId3v1 = end != stream.size();
    if (afterId3v1) end = find.id3v1Extended(end);
    for (;;) {
        std::uint64_t start = find.ape(end);
        if (start == end) start = find.id3v2(end);
        if (start == end && afterId3v1) start = find.lyrics3v2(end);
        if (start == end && afterId3v1) start = find.lyrics3v1(end);
        if (start == end) return end;
        end = start;
    }
}

} // namespace mp3
