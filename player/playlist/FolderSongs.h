#pragma once

#include <functional>
#include <string>
#include <vector>

class LoadBudget;

// The songs (".mp3") and lists (".m3u", ".m3u8") a folder holds, its
// sub-folders' too, in natural order of their paths: a folder's names sort
// as people expect ("2 x" before "10 x"), and a sub-folder's songs stand
// where its name sorts. Hidden names (a leading dot) are passed over, as file
// managers hide them. Only regular files count, so a FIFO is never opened; a
// folder reached twice (through a link, or a link loop) is walked once, and
// folders nest at most maxDepth deep. Every name listed is drawn from the
// load's budget; shouldStop is asked between names and ends the walk with
// what it has found.
namespace foldersongs {

inline constexpr int maxDepth = 32;

bool isFolder(const std::string& path);

std::vector<std::string> songsAndListsIn(const std::string& folder, LoadBudget& budget,
                                         const std::function<bool()>& shouldStop);

} // namespace foldersongs
