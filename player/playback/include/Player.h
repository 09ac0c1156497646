#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ListSnapshot.h"
#include "PlaybackRequests.h"
#include "PlayerReadouts.h"

class AudioDevice;
class PlayerEngine;
class SettingsReader;
class UserMessages;

// How playback reports: no call of Player fails or throws; the requests only
// ask, and return nothing. What goes wrong on the player thread (the device
// cannot be opened or closed, a list cannot be read, no entry of the list
// gives audio, a song is of a format the player refuses) is told to the
// listener through UserMessages::post, in the engine's own words written
// once, and where it cannot go on the player thread ends; isRunning() then
// says so. The audio device reports to the engine by result: false and the
// device's own text (AudioDevice.h).

// What follows the last entry, or a song, by itself: the list from its
// start again, the song heard again, or nothing (the player stops once the
// last entry's audio has been heard). Next and Prev wrap at the ends in
// every mode: they are the listener's own choice of an entry.
enum class Repeat { list, song, off };

// The player's engine as the window shell sees it: one player thread at a
// time, which plays the songs of its paths (songs, M3U lists or folders) one
// after the other, the requests that steer it (PlaybackRequests.h) and edit
// its one list, and what is heard. Every request acts on the entry heard, not
// on one decoded ahead. Its player thread decodes with a decoder of its own,
// so a Player shares no decoder state with any other reader of MP3 streams.
class Player final : public PlaybackRequests {
public:
    Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player() override;

    void startPlayerThread(const std::string& path, StartAt at = StartAt::firstEntry) override;
    // The same for the songs of several paths, each read as one path is, in
    // their order. The player thread reads them: edits made before it has
    // (before the first showListChanged) go to the list it replaces.
    void startPlayerThread(const std::vector<std::string>& paths, StartAt at = StartAt::firstEntry);
    void stopPlayback() override;
    bool isRunning() const override;
    void requestNext() override;
    void requestPrevious() override;
    void requestSeek(float fraction) override;
    void takeOverFile(const std::string& path) override;
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

    void pause() override;
    void resume() override;
    bool isPaused() const override;
    bool isSeeking() const override;
    Audible audible() const override;

private:
    // Player only forwards: the engine's stages (its control values, the
    // wave output, what is audible, the playlist) stay out of this header, so
    // the shell sees the requests alone and is not rebuilt when they change.
    // The engine's tests reach its insides through it (playback_internals).
    friend struct PlayerInternals;
    std::unique_ptr<PlayerEngine> engine_;
};
