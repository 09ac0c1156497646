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

// Ends the chunk whose length field is at `start`: its length, and the CRC of its type and data.
void closeChunk(std::vector<std::uint8_t>& out, std::size_t start)
{
    const std::size_t typeAt = start + 4;
    const auto length = static_cast<std::uint32_t>(out.size() - typeAt - 4);
    for (int n = 0; n < 4; ++n)
        out[start + static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(length >> (24 - 8 * n));
    const uLong crc = crc32(crc32(0, nullptr, 0), out.data() + typeAt, static_cast<uInt>(out.size() - typeAt));
    put32(out, static_cast<std::uint32_t>(crc));
}

// Starts a chunk of `type`, its length to be filled in by closeChunk; gives where it starts.
std::size_t openChunk(std::vector<std::uint8_t>& out, std::string_view type)
{
    const std::size_t start = out.size();
    put32(out, 0);
    out.insert(out.end(), type.begin(), type.end());
    return start;
}

// Row `y` filtered: its filter-type byte (0, none) and its pixels as 8-bit RGBA.
void filteredRow(const Image& image, int y, std::vector<std::uint8_t>& row)
{
    constexpr std::uint8_t noFilter = 0;
    std::uint8_t* at = row.data();
    *at++ = noFilter;
    for (int x = 0; x < image.width; ++x, at += 4) {
        const std::uint32_t argb = image.pixel(x, y);
        at[0] = static_cast<std::uint8_t>(argb >> 16);
        at[1] = static_cast<std::uint8_t>(argb >> 8);
        at[2] = static_cast<std::uint8_t>(argb);
        at[3] = static_cast<std::uint8_t>(argb >> 24);
    }
}

} // namespace

std::vector<std::uint8_t> encodePng(const Image& image, PngPacking packing)
{
    constexpr std::array<std::uint8_t, 8> signature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr std::uint8_t depth = 8, rgba = 6;
    std::vector<std::uint8_t> row(1 + 4 * static_cast<std::size_t>(image.width));
    // Storing needs the least state deflate allows, no window or hash to speak of.
    constexpr int smallestWindowBits = 9, smallestMemLevel = 1, widestWindowBits = 15, defaultMemLevel = 8;
    const bool stored = packing == PngPacking::Stored;
    z_stream z{};
    if (deflateInit2(&z, stored ? Z_NO_COMPRESSION : Z_DEFAULT_COMPRESSION, Z_DEFLATED,
                     stored ? smallestWindowBits : widestWindowBits, stored ? smallestMemLevel : defaultMemLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    const uLong dataBound = deflateBound(&z, static_cast<uLong>(row.size() * static_cast<std::size_t>(image.height)));
    constexpr std::size_t chunksAround = 8 + 25 + 12 + 12; // signature, IHDR, the IDAT's own fields, IEND

    std::vector<std::uint8_t> out(signature.begin(), signature.end());
    out.reserve(chunksAround + dataBound);
    const std::size_t header = openChunk(out, "IHDR");
    put32(out, static_cast<std::uint32_t>(image.width));
    put32(out, static_cast<std::uint32_t>(image.height));
    out.insert(out.end(), {depth, rgba, 0, 0, 0}); // deflate, adaptive filters, no interlace
    closeChunk(out, header);

    // Deflated a row at a time straight into the IDAT chunk.
    const std::size_t data = openChunk(out, "IDAT");
    const std::size_t dataAt = out.size();
    out.resize(dataAt + dataBound);
    z.next_out = out.data() + dataAt;
    z.avail_out = static_cast<uInt>(dataBound);
    int status = Z_OK;
    for (int y = 0; y < image.height && status == Z_OK; ++y) {
        filteredRow(image, y, row);
        z.next_in = row.data();
        z.avail_in = static_cast<uInt>(row.size());
        status = deflate(&z, y + 1 == image.height ? Z_FINISH : Z_NO_FLUSH);
        if (z.avail_in != 0) status = Z_BUF_ERROR; // the bound was too small: never so by its definition
    }
    out.resize(dataAt + z.total_out);
    deflateEnd(&z);
    if (status != Z_STREAM_END) return {};
    closeChunk(out, data);

    closeChunk(out, openChunk(out, "IEND"));
    return out;
}

} // namespace icons
