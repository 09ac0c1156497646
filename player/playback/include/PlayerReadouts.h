#pragma once

#include <cstdint>
#include <string>

// What the listener hears now: the song, its length and the place in it.
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

// The readouts of the main window as the engine updates them. The player
// thread calls these (and the window thread, for a hand-over); an
// implementation must return at once (the window shell posts each update to
// its own thread), because the window thread may be waiting for the player
// thread to stop, and must not ask the Player what is heard (the engine holds
// its record meanwhile). The audio callback never calls them.
class PlayerReadouts {
public:
    virtual ~PlayerReadouts() = default;

    // What is heard changed: another song, or another whole second, or the
    // song's length became known (not every block: positionFrames may lag).
    // Updates may be merged: the newest counts.
    virtual void showAudible(const Audible& audible) = 0;
    // The sample-rate readout, in kHz (44 for 44100 Hz).
    virtual void setSampleRateNumber(int kiloHertz) = 0;
    // The bitrate readout, in kbit/s.
    virtual void setBitrateNumber(int kbps) = 0;
    // The Pause button's look: whether the player is paused.
    virtual void showPaused(bool paused) = 0;
};
