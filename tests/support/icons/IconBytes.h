#pragma once

// Builds icon files and PNG streams byte by byte for tests that need input
// the committed fixtures do not hold: damaged or hostile PNG images beside
// sound bitmaps. PNG after ISO/IEC 15948, icon files after the ICO layout.

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace iconbytes {

using Bytes = std::vector<std::uint8_t>;

inline void appendBe32(Bytes& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void appendLe(Bytes& out, std::uint32_t value, int bytes)
{
    for (int n = 0; n < bytes; ++n) out.push_back(static_cast<std::uint8_t>(value >> (8 * n)));
}

// The CRC-32 of PNG chunks (and zlib's crc32): polynomial 0xEDB88320, reflected.
inline std::uint32_t crc32(const Bytes& bytes, std::size_t from = 0)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit) crc = crc >> 1 ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline Bytes chunk(std::string_view type, const Bytes& data)
{
    Bytes out;
    appendBe32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type.begin(), type.end());
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    appendBe32(out, crc32(typed));
    return out;
}

// IHDR's data: colour type 6 is truecolour with alpha.
inline Bytes header(std::uint32_t width, std::uint32_t height, std::uint8_t depth = 8, std::uint8_t colourType = 6,
                    std::uint8_t interlace = 0)
{
    Bytes out;
    appendBe32(out, width);
    appendBe32(out, height);
    out.insert(out.end(), {depth, colourType, 0, 0, interlace});
    return out;
}

// A PNG stream: IHDR, the `extra` chunks (whole, as chunk() makes them), one IDAT, IEND.
inline Bytes png(const Bytes& ihdr, const Bytes& idat, const std::vector<Bytes>& extra = {})
{
    Bytes out{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto add = [&](const Bytes& c) { out.insert(out.end(), c.begin(), c.end()); };
    add(chunk("IHDR", ihdr));
    for (const Bytes& c : extra) add(c);
    add(chunk("IDAT", idat));
    add(chunk("IEND", {}));
    return out;
}

// The filtered rows of a truecolour-with-alpha image of one colour (0xAARRGGBB), filter type 0.
inline Bytes rgbaRows(int width, int height, std::uint32_t argb)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        out.push_back(0);
        for (int x = 0; x < width; ++x)
            out.insert(out.end(), {static_cast<std::uint8_t>(argb >> 16), static_cast<std::uint8_t>(argb >> 8),
                                   static_cast<std::uint8_t>(argb), static_cast<std::uint8_t>(argb >> 24)});
    }
    return out;
}

// A 32-bit bitmap icon image of one colour, with an AND mask that hides nothing.
inline Bytes dib32(int side, std::uint32_t argb)
{
    Bytes out;
    const std::size_t maskStride = (static_cast<std::size_t>(side) + 31) / 32 * 4;
    for (std::uint32_t field : {40u, static_cast<std::uint32_t>(side), static_cast<std::uint32_t>(2 * side)})
        appendLe(out, field, 4);
    appendLe(out, 1, 2);                             // planes
    appendLe(out, 32, 2);                            // bits per pixel
    for (int n = 0; n < 6; ++n) appendLe(out, 0, 4); // uncompressed; sizes and palette unused
    for (int p = 0; p < side * side; ++p) appendLe(out, argb, 4);
    out.insert(out.end(), maskStride * side, 0);
    return out;
}

struct Entry {
    int side;
    int bitCount;
    Bytes data;
};

// An icon file listing `entries` in this order.
inline Bytes ico(const std::vector<Entry>& entries)
{
    Bytes out;
    appendLe(out, 0, 2);
    appendLe(out, 1, 2);
    appendLe(out, static_cast<std::uint32_t>(entries.size()), 2);
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * entries.size());
    for (const Entry& e : entries) {
        out.insert(out.end(), {static_cast<std::uint8_t>(e.side % 256), static_cast<std::uint8_t>(e.side % 256), 0, 0});
        appendLe(out, 1, 2);
        appendLe(out, static_cast<std::uint32_t>(e.bitCount), 2);
        appendLe(out, static_cast<std::uint32_t>(e.data.size()), 4);
        appendLe(out, offset, 4);
        offset += static_cast<std::uint32_t>(e.data.size());
    }
    for (const Entry& e : entries) out.insert(out.end(), e.data.begin(), e.data.end());
    return out;
}

inline void write(const std::filesystem::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes read(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace iconbytes
