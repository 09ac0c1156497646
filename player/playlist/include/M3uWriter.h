#pragma once

#include <string>
#include <vector>

// Writing a list as an extended M3U list in UTF-8 (".m3u8"): "#EXTM3U", then
// for each entry an "#EXTINF:seconds,Artist - Title" line where its length
// or title is known, and its path. Paths are written relative to the list
// file's folder; a name the list's own reading (M3uReader) would take
// otherwise, as a comment, an address or a Windows path, or that is no
// UTF-8, is written as a "file:" URI. So the list reads back to the same
// files.
//
// How it reports: by its result. The list is written to a temporary file
// beside it that then replaces it, so a write that fails leaves the old file
// as it was and says why.
namespace m3uwriting {

struct Entry {
    std::string path;
    // Whole seconds; negative when not known.
    int seconds = -1;
    std::string artist;
    std::string title;
};

struct Written {
    bool written = false;
    // For the listener when not written: "Could not save playlist: ..."
    std::string text;
};

// The line that names path in a list whose folder is listFolder.
std::string lineFor(const std::string& path, const std::string& listFolder);

// The whole text of the list at listPath.
std::string listText(const std::string& listPath, const std::vector<Entry>& entries);

Written writeList(const std::string& listPath, const std::vector<Entry>& entries);

} // namespace m3uwriting
