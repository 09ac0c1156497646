#pragma once

#include <memory>
#include <string>

#include "PlayerReadouts.h"

class AudioDevice;
class PlayerEngine;
class SettingsReader;
class UserMessages;

// Where a player thread starts in its list: its first entry, or the entry
// that Next or Prev chose while nothing played (the first when none was).
enum class StartAt { firstEntry, chosenEntry };

// The player's engine as the window shell sees it: one player thread at a
// time, which plays the songs of a path (a song or an M3U list) one after
// the other without end, the requests that steer it, and what is heard.
// Its player thread decodes with a decoder of its own, so a Player shares
// no decoder state with any other reader of MP3 streams.
class Player {
public:
    Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player();

    // Starts a player thread on path, after stopping a running one.
    void startPlayerThread(const std::string& path, StartAt at = StartAt::firstEntry);
    // Asks a running player thread to end and waits until it has; returns at
    // once when none runs.
    void stopPlayback();
    bool isRunning() const;

    // The entry after (before) the one heard, wrapping at the ends; while
    // nothing plays, the neighbour of the entry shown is shown, for a Play
    // at the chosen entry.
    void requestNext();
    void requestPrevious();
    // Moves within the song heard to fraction (0, its very start, to 1) of
    // its length.
    void requestSeek(float fraction);
    // Puts the list of path (a song or an M3U list) in place of the playlist
    // and lets a running player thread go on with its first entry.
    void takeOverFile(const std::string& path);

    // While paused nothing plays and the time stands still. Seek, next,
    // previous, a taken-over list and stop end the pause, and a new player
    // thread starts playing.
    void pause();
    void resume();
    bool isPaused() const;
    // From a seek asked until the song is heard from its new place.
    bool isSeeking() const;

    // What is heard now. Any thread.
    Audible audible() const;

private:
    // The engine's tests reach its insides through it (playback_internals).
    friend struct PlayerInternals;
    std::unique_ptr<PlayerEngine> engine_;
};
