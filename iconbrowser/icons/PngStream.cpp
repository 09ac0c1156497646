#include "PngStream.h"

#include "Limits.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace icons {

namespace {

constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
constexpr std::size_t chunkOverhead = 12; // length, type, CRC
constexpr std::size_t headerLength = 13;
constexpr std::uint32_t maxChunkLength = 0x7FFFFFFF;
constexpr std::uint8_t palette = 3;

std::uint32_t be32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) << 24 | static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
}

struct Header {
    std::uint32_t width;
    std::uint32_t height;
    int bitsPerPixel;
    bool interlaced;
};

// Samples per pixel by colour type, or 0 where the depth is not allowed for it.
int samplesPerPixel(std::uint8_t colourType, std::uint8_t depth)
{
    const bool anyDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    const bool wholeBytes = depth == 8 || depth == 16;
    switch (colourType) {
    case 0:
        return anyDepth ? 1 : 0; // greyscale
    case 2:
        return wholeBytes ? 3 : 0; // truecolour
    case palette:
        return anyDepth && depth != 16 ? 1 : 0;
    case 4:
        return wholeBytes ? 2 : 0; // greyscale with alpha
    case 6:
        return wholeBytes ? 4 : 0; // truecolour with alpha
    default:
        return 0;
    }
}

std::optional<Header> readHeader(std::span<const std::uint8_t> data)
{
    if (data.size() != headerLength) return std::nullopt;
    Header header{be32(data, 0), be32(data, 4), 0, data[12] == 1};
    const int samples = samplesPerPixel(data[9], data[8]);
    const bool sides =
        header.width >= 1 && header.width <= maxImageSide && header.height >= 1 && header.height <= maxImageSide;
    // Compression and filter method 0 are the only ones defined; interlace is 0 or 1 (Adam7).
    if (!sides || samples == 0 || data[10] != 0 || data[11] != 0 || data[12] > 1) return std::nullopt;
    header.bitsPerPixel = samples * data[8];
    return header;
}

// Each row of a (sub)image is a filter-type byte and its packed pixels.
std::uint64_t rowsSize(std::uint64_t width, std::uint64_t height, int bitsPerPixel)
{
    if (width == 0 || height == 0) return 0;
    return height * (1 + (width * bitsPerPixel + 7) / 8);
}

std::uint64_t inflatedSize(const Header& h)
{
    const auto width = static_cast<int>(h.width), height = static_cast<int>(h.height);
    if (!h.interlaced) return rowsSize(h.width, h.height, h.bitsPerPixel);
    std::uint64_t total = 0;
    for (const InterlacePass& p : adam7Passes)
        total += rowsSize(static_cast<std::uint64_t>(p.columns(width)), static_cast<std::uint64_t>(p.rows(height)),
                          h.bitsPerPixel);
    return total;
}

// A chunk is critical when the first letter of its type is upper case.
bool isCritical(std::string_view type)
{
    return (type[0] & 0x20) == 0;
}

} // namespace

bool isPngStream(std::span<const std::uint8_t> bytes)
{
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

std::optional<PngImage> readPngStream(std::span<const std::uint8_t> stream)
{
    if (!isPngStream(stream)) return std::nullopt;
    PngImage image;
    image.bytes.assign(signature.begin(), signature.end());
    std::optional<Header> header;
    for (std::size_t at = signature.size(), chunks = 0;; ++chunks) {
        if (stream.size() - at < chunkOverhead) return std::nullopt; // cut off before IEND
        if (chunks == static_cast<std::size_t>(maxPngChunks)) return std::nullopt;
        const std::uint32_t length = be32(stream, at);
        const std::string_view type(reinterpret_cast<const char*>(stream.data() + at + 4), 4);
        if (length > maxChunkLength || length > stream.size() - at - chunkOverhead) return std::nullopt;
        const auto chunk = stream.subspan(at, chunkOverhead + length);
        at += chunk.size();
        if (header.has_value() == (type == "IHDR")) return std::nullopt; // IHDR comes first, and once
        if (!header) {
            header = readHeader(chunk.subspan(8, length));
            if (!header) return std::nullopt;
        }
        const bool imageData = type == "IDAT";
        if (imageData) image.compressedData.push_back({image.bytes.size() + 8, length});
        const bool kept = type == "IHDR" || type == "PLTE" || type == "tRNS" || imageData || type == "IEND";
        if (kept)
            image.bytes.insert(image.bytes.end(), chunk.begin(), chunk.end());
        else if (isCritical(type))
            return std::nullopt;
        if (type == "IEND") break;
    }
    if (image.compressedData.empty()) return std::nullopt;
    image.width = static_cast<int>(header->width);
    image.height = static_cast<int>(header->height);
    image.inflatedSize = inflatedSize(*header);
    return image;
}

} // namespace icons
