#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ListSnapshot.h"
#include "PlayerReadouts.h"

class AudioDevice;
class PlayerEngine;
class SettingsReader;
class UserMessages;

// Where a player thread starts in its list: its first entry, or the entry
// that Next or Prev chose while nothing played (the first when none was).
enum class StartAt { firstEntry, chosenEntry };

// What follows the last entry, or a song, by itself: the list from its
// start again, the song heard again, or nothing (the player stops once the
// last entry's audio has been heard). Next and Prev wrap at the ends in
// every mode: they are the listener's own choice of an entry.
enum class Repeat { list, song, off };

// The player's engine as the window shell sees it: one player thread at a
// time, which plays the songs of its paths (songs or M3U lists) one after
// the other, the requests that steer it and edit its one list, and what is
// heard. Every request acts on the entry heard, not on one decoded ahead.
// The decoder's state is process-wide, so there is one Player per process.
class Player {
public:
    Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player();

    // Starts a player thread on path, after stopping a running one.
    void startPlayerThread(const std::string& path, StartAt at = StartAt::firstEntry);
    // The same for the songs of several paths, each read as one path is, in
    // their order. The player thread reads them: edits made before it has
    // (before the first showListChanged) go to the list it replaces.
    void startPlayerThread(const std::vector<std::string>& paths, StartAt at = StartAt::firstEntry);
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
    void takeOverFiles(const std::vector<std::string>& paths);

    // The songs of paths (each read as one path is) join the end of the
    // list, or go before the entry at index; what plays goes on.
    void addPaths(const std::vector<std::string>& paths);
    void insertPaths(int index, const std::vector<std::string>& paths);
    // Plays the entry at index from its start; while nothing plays, starts
    // a player thread on the list as it stands.
    void playEntry(int index);
    // Removes the entries at indices. Removing the entry heard plays the
    // one after it, or stops the player when the list is left empty.
    void removeEntries(const std::vector<int>& indices);
    // Moves the entries at indices, in their order, before the entry at
    // index to (to the end for an index past the last).
    void moveEntries(const std::vector<int>& indices, int to);
    void setRepeat(Repeat repeat);
    Repeat repeat() const;
    // Shuffle plays every entry once a round, in a random order that Next
    // and Prev follow; off, the list order goes on from the entry heard.
    void setShuffle(bool shuffle);
    bool shuffle() const;
    // The list as it stands and the entry heard in it. Any thread; told
    // through PlayerReadouts::showListChanged when it changes, and through
    // showAudible when another entry is heard.
    ListSnapshot listSnapshot() const;

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
    // Player only forwards: the engine's stages (its control values, the
    // wave output, what is audible, the playlist) stay out of this header, so
    // the shell sees the requests alone and is not rebuilt when they change.
    // The engine's tests reach its insides through it (playback_internals).
    friend struct PlayerInternals;
    std::unique_ptr<PlayerEngine> engine_;
};
