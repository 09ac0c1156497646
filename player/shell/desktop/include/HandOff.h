#pragma once

// The hand-off between two starts of the player, with the standard library
// alone (the desktop room's core, shell_desktop_core, which the sanitizer and
// fuzz builds reach): the folder in which a running player listens, and the
// message a second start sends it. SingleInstance (Desktop.h) carries it out.
//
// How it fails: nothing here throws. A folder that is not private is named
// with its fault; a message is read as complete, incomplete or refused; a
// path too long to hand over is told in one short line.

#include <cstddef>
#include <cstdint>
#include <optional>
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

// Where a running player listens for a second start: a folder in which only
// this user can make files, so that no other user can take the running
// player's place and read what is handed over.
namespace handofffolder {

// What keeps a folder from being private; nothing when it is a folder (not a
// link to one) of the user's own that no one else may enter or write.
std::optional<std::string> faultOf(const std::string& folder, unsigned uid);

// The folder for the hand-off: the user's runtime folder (XDG_RUNTIME_DIR)
// when it is private, else "sonorbox-<uid>" in the temporary folder, made
// 0700 when missing. Nothing, with why, when neither is private.
std::optional<std::string> choose(const std::string& runtimeFolder, const std::string& temporaryFolder, unsigned uid,
                                  std::string& why);

} // namespace handofffolder
