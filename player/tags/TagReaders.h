#pragma once

#include <cstdint>
#include <span>

#include "SongTags.h"

namespace songtags {

// The 10-byte ID3v2 header: "ID3", version, revision, flags, and the tag's
// size after the header in four 7-bit bytes.
inline constexpr std::size_t id3v2HeaderSize = 10;
// The tag's whole size, header included (and its footer, when flagged), or
// 0 when bytes does not begin with an ID3v2 header.
std::size_t id3v2TagSize(std::span<const std::uint8_t> bytes);

// The texts of the ID3v2 tag at the start of bytes; the frames bytes holds
// only in part are passed over.
SongTags readId3v2(std::span<const std::uint8_t> bytes);

// The texts of the 128-byte ID3v1 tag that tail ends with.
inline constexpr std::size_t id3v1Size = 128;
SongTags readId3v1(std::span<const std::uint8_t> tail);

} // namespace songtags
