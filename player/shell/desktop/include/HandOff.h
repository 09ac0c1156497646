#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#ifdef _WIN32
#include <cstdlib> // _MAX_PATH
#else
#include <climits> // PATH_MAX
#endif

// What a second start sends the running player: the path's length in 4 bytes,
// most significant first, then the path's bytes.
namespace handoff {

// The longest path a start takes, from its command line or from another
// process: the platform's limit, less the terminating NUL it counts.
#ifdef _WIN32
inline constexpr std::uint32_t maxPathBytes = 32767;
#else
inline constexpr std::uint32_t maxPathBytes = PATH_MAX - 1;
#endif

std::string encode(std::string_view path);

enum class Reading { incomplete, complete, refused };

// Reads a message from the bytes received so far: complete (path set, used
// the number of bytes it took), incomplete (more bytes are due), or refused
// (the length is beyond maxPathBytes).
Reading decode(std::string_view received, std::string& path, std::size_t& used);

// For a path longer than maxPathBytes: one short line saying so, with the
// path's start (whole characters, control characters shown as "?").
std::string tooLongText(std::string_view path);

} // namespace handoff
