#pragma once

#include <string>
#include <string_view>

// The one place that knows how paths are written on this platform.
namespace pathtext {

#ifdef _WIN32
inline constexpr char separator = '\\';
#else
inline constexpr char separator = '/';
#endif

// True for a path that names its place without a starting folder:
// "/music/a.mp3" here, "D:\music\a.mp3" or "\\server\share" on Windows.
bool isAbsolute(std::string_view path);

// The path up to, not including, its last separator; empty when it has none.
std::string directoryOf(std::string_view path);

// The text after the last separator, or the whole path when it has none.
std::string fileNameOf(std::string_view path);

// folder + separator + name, without doubling a separator that ends the
// folder; an empty folder gives the name alone.
std::string join(std::string_view folder, std::string_view name);

// A path as written inside a list that may come from another platform: on
// Linux each backslash becomes a separator.
std::string fromListText(std::string_view text);

// A file name without its extension: a dot and 1 to 4 characters after it,
// none of them a blank or a dot, at the end of the name. "Blue Song.mp3"
// gives "Blue Song"; "Yesterday", "Vol. 1" and ".mp3" stay whole.
std::string withoutExtension(std::string_view name);

bool endsWithNoCase(std::string_view text, std::string_view ending);
bool containsNoCase(std::string_view text, std::string_view part);

} // namespace pathtext
