#pragma once

#include <string>

#include "Audible.h"

// Where a player thread starts in its list: its first entry, or the entry
// that Next or Prev chose while nothing played (the first when none was).
enum class StartAt { firstEntry, chosenEntry };

// What the window shell asks of the engine and the little it reads back:
// the seam between the two. Player implements it; the shell's tests record
// what is asked through it.
class PlaybackRequests {
public:
    virtual ~PlaybackRequests() = default;

    // Starts a player thread on path, after stopping a running one.
    virtual void startPlayerThread(const std::string& path, StartAt at = StartAt::firstEntry) = 0;
    // Asks a running player thread to end and waits until it has; returns at
    // once when none runs.
    virtual void stopPlayback() = 0;
    virtual bool isRunning() const = 0;

    // The entry after (before) the one heard, wrapping at the ends; while
    // nothing plays, the neighbour of the entry shown is shown, for a Play
    // at the chosen entry.
    virtual void requestNext() = 0;
    virtual void requestPrevious() = 0;
    // Moves within the song heard to fraction (0, its very start, to 1) of
    // its length.
    virtual void requestSeek(float fraction) = 0;
    // Puts the list of path (a song or an M3U list) in place of the playlist
    // and lets a running player thread go on with its first entry.
    virtual void takeOverFile(const std::string& path) = 0;

    // While paused nothing plays and the time stands still. Seek, next,
    // previous, a taken-over list and stop end the pause, and a new player
    // thread starts playing.
    virtual void pause() = 0;
    virtual void resume() = 0;
    virtual bool isPaused() const = 0;
    // From a seek asked until the song is heard from its new place.
    virtual bool isSeeking() const = 0;

    // What is heard now. Any thread.
    virtual Audible audible() const = 0;
};
