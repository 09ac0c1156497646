#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What a second start sends the running player: the path's length in 4 bytes,
// most significant first, then the path's bytes.
namespace handoff {

// The longest path taken from another process.
inline constexpr std::uint32_t maxPathBytes = 1u << 20;

std::string encode(std::string_view path);

enum class Reading { incomplete, complete, refused };

// Reads a message from the bytes received so far: complete (path set, used
// the number of bytes it took), incomplete (more bytes are due), or refused
// (the length is beyond maxPathBytes).
Reading decode(std::string_view received, std::string& path, std::size_t& used);

} // namespace handoff
