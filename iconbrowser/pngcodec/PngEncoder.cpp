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

    // Rows unfiltered and stored, not compressed: a file manager reads the
    // picture once and keeps its own copy, so squeezing it would only cost time.
    const std::size_t rowBytes = 1 + 4 * static_cast<std::size_t>(image.width);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(image.height) * rowBytes);
    std::uint8_t* at = rows.data();
    for (int y = 0; y < image.height; ++y) {
        *at++ = noFilter;
        for (int x = 0; x < image.width; ++x, at += 4) {
            const std::uint32_t argb = image.pixel(x, y);
            at[0] = static_cast<std::uint8_t>(argb >> 16);
            at[1] = static_cast<std::uint8_t>(argb >> 8);
            at[2] = static_cast<std::uint8_t>(argb);
            at[3] = static_cast<std::uint8_t>(argb >> 24);
        }
    }
    // The least state deflate allows: storing needs no window or hash to speak of.
    constexpr int smallestWindowBits = 9, smallestMemLevel = 1;
    z_stream z{};
    if (deflateInit2(&z, Z_NO_COMPRESSION, Z_DEFLATED, smallestWindowBits, smallestMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    std::vector<std::uint8_t> compressed(deflateBound(&z, static_cast<uLong>(rows.size())));
    z.next_in = rows.data();
    z.avail_in = static_cast<uInt>(rows.size());
    z.next_out = compressed.data();
    z.avail_out = static_cast<uInt>(compressed.size());
    const int status = deflate(&z, Z_FINISH);
    compressed.resize(z.total_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) return {};

    std::vector<std::uint8_t> out(signature.begin(), signature.end());
    putChunk(out, "IHDR", header);
    putChunk(out, "IDAT", compressed);
    putChunk(out, "IEND", {});
    return out;
}

} // namespace icons
