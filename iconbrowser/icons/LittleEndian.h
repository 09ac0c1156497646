#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace icons {

// Readers of little-endian fields (the byte order of PE/COFF, NE, ICO and BMP).
// Callers check the span's length before reading.
inline std::uint16_t le16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

inline std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

inline std::int32_t le32s(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::int32_t>(le32(bytes, at));
}

} // namespace icons
