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
    void startPlayerThread(const std::vector<std::string>& paths, StartAt at = StartAt::firstEntry) override;
    bool startOnList(StartAt at) override;
    void stopPlayback() override;
    bool isRunning() const override;
    void requestNext() override;
    void requestPrevious() override;
    void requestSeek(float fraction) override;
    void takeOverFile(const std::string& path) override;
    void takeOverFiles(const std::vector<std::string>& paths) override;
    void addPaths(const std::vector<std::string>& paths) override;
    void insertPaths(int index, const std::vector<std::string>& paths) override;
    void playEntry(int index) override;
    void removeEntries(const std::vector<int>& indices) override;
    void moveEntries(const std::vector<int>& indices, int to) override;
    void setRepeat(Repeat repeat) override;
    Repeat repeat() const override;
    void setShuffle(bool shuffle) override;
    bool shuffle() const override;
    ListSnapshot listSnapshot() const override;

    void pause() override;
    void resume() override;
    bool isPaused() const override;
    bool isSeeking() const override;
    Audible audible() const override;
    void setEqualiser(const mp3::EqualiserSetting& setting) override;
    mp3::EqualiserSetting equaliser() const override;

private:
    // Player only forwards: the engine's stages (its control values, the
    // wave output, what is audible, the playlist) stay out of this header, so
    // the shell sees the requests alone and is not rebuilt when they change.
    // The engine's tests reach its insides through it (playback_internals).
    friend struct PlayerInternals;
    std::unique_ptr<PlayerEngine> engine_;
};
