#pragma once

#include <cstdint>
#include <string>

// What the listener hears now: the song, its length and the place in it, as
// the engine tells it to everyone. Its one owner is the engine's AudibleSong,
// which derives it from the place the audio callback publishes.
struct Audible {
    // The one rate the player plays at.
    static constexpr int framesPerSecond = 44100;

    // Changes when a song begins to be heard or a list is handed over; a
    // seek keeps it. 0 before anything was heard.
    std::uint32_t song = 0;
    // The song's path (the title is made from it), or a handed-over list's.
    std::string path;
    // The song's length; 0 while not known (a list just handed over).
    int lengthSeconds = 0;
    // Whole seconds of the song heard.
    int positionSeconds = 0;
    // The sample frames of the song heard, to the block: the place finer
    // than the readouts show it, for moving from it by seconds.
    std::uint32_t positionFrames = 0;
    // The song's length exactly, from its stream's samples, for those who
    // tell it finer than whole seconds (the desktop's media controls).
    std::int64_t lengthMicroseconds = 0;

    double secondsHeard() const { return static_cast<double>(positionFrames) / framesPerSecond; }

    bool operator==(const Audible&) const = default;
    // Whether the readouts show the two alike: all but the frames.
    bool showsAlike(const Audible& other) const
    {
        return song == other.song && path == other.path && lengthSeconds == other.lengthSeconds &&
               lengthMicroseconds == other.lengthMicroseconds && positionSeconds == other.positionSeconds;
    }
};
