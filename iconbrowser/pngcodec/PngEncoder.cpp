#include "PngCodec.h"

#include <zlib.h>

#include <array>
#include <string_view>

namespace icons {

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

// A chunk: length, type, data, and the CRC of type and data.
void putChunk(std::vector<std::uint8_t>& out, std::string_view type, const std::vector<std::uint8_t>& data)
{
    put32(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0, nullptr, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    put32(out, static_cast<std::uint32_t>(crc));
}

} // namespace

std::vector<std::uint8_t> encodePng(const Image& image)
{
    constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::uint8_t depth = 8, rgba = 6, noFilter = 0;
    std::vector<std::uint8_t> header;
    put32(header, static_cast<std::uint32_t>(image.width));
    put32(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {depth, rgba, 0, 0, 0}); // deflate, adaptive filters, no interlace

    // Rows unfiltered: at these sizes the fastest level gains little from filters.
    std::vector<std::uint8_t> rows;
    rows.reserve(static_cast<std::size_t>(image.height) * (1 + 4 * static_cast<std::size_t>(image.width)));
    for (int y = 0; y < image.height; ++y) {
        rows.push_back(noFilter);
        for (int x = 0; x < image.width; ++x) {
            const std::uint32_t argb = image.pixel(x, y);
            rows.insert(rows.end(), {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                        static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
        }
    }
    uLongf compressedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> compressed(compressedSize);
    if (compress2(compressed.data(), &compressedSize, rows.data(), static_cast<uLong>(rows.size()), Z_BEST_SPEED) != Z_OK)
        return {};
    compressed.resize(compressedSize);

    std::vector<std::uint8_t> out(signature.begin(), signature.end());
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", compressed);
    putChunk(out, "IEND", {});
    return out;
}

} // namespace icons
