#pragma once

#include <QString>
#include <string>

namespace songtags {
struct SongTags;
}

// "Artist - Title (Album)" from a song's tags; a part the tags lack is left
// out with its punctuation, and no tags give the empty text.
QString songToolTip(const songtags::SongTags& tags);

// The same for the song at path, from the tags read from it.
QString songToolTip(const std::string& path);
