#pragma once

#include <functional>
#include <string>

// What the playlist shows of a song besides its path: the title and artist
// its tags give (empty when they give none) and its length in whole seconds
// (negative when it has no audio frame that could be read).
struct SongFacts {
    std::string title;
    std::string artist;
    int seconds = -1;
};

// Asked between frames while a song without a header frame is counted:
// true ends the count (the facts are then not wanted).
using FactsStopCheck = std::function<bool()>;

// The tags, and the length: from the header frame (Xing, Info, VBRI) when
// the song has one; else, when its bitrate is the same at its start, a third
// and two thirds in, from its size and that bitrate; else from a count of
// its frames: a song of varying bitrate without a header frame is as long as
// its frames, not as its first frame's bitrate suggests. Any thread; reads
// the file, never the engine.
SongFacts readSongFacts(const std::string& path, const FactsStopCheck& stopped = {});
