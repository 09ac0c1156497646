#pragma once

#include <string>
#include <thread>
#include <vector>

#include "Mp3Decoder.h"
#include "PlayerState.h"
#include "Playlist.h"
#include "WaveOutput.h"

class AudioDevice;
class PlayerReadouts;
class SettingsReader;
class UserMessages;

// The engine of the player: one player thread at a time, which builds the
// playlist from its path and plays the entries one after the other without
// end, and the requests through which the window thread steers it. The
// decoder's state is process-wide, so there is one Player per process.
class Player {
public:
    Player(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings);
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;
    ~Player();

    // Starts a player thread on path (a song or an M3U list), after stopping
    // a running one.
    void startPlayerThread(const std::string& path);

    // Asks a running player thread to end and waits until it has; returns at
    // once when none runs.
    void stopPlayback();

    void requestNext();
    void requestPrevious();
    // Moves within the song to fraction (0 to 1) of its length. 0 is the very
    // start of the seek bar, which asks for no seek.
    void requestSeek(float fraction);

    // Puts the list of path (a song or an M3U list) in place of the playlist
    // and lets a running player thread go on with its first entry.
    void takeOverFile(const std::string& path);

    // While paused nothing plays and the time stands still. Seek, next,
    // previous and a taken-over list are carried out while paused and heard
    // on resume; stop ends the pause, and a new player thread starts playing.
    void pause() { waveOutput_.setPaused(true); }
    void resume() { waveOutput_.setPaused(false); }
    bool isPaused() const { return waveOutput_.paused(); }

    PlayerControl& control() { return control_; }
    const SongInfo& songInfo() const { return song_; }
    Playlist& playlist() { return playlist_; }
    const WaveOutput& waveOutput() const { return waveOutput_; }

private:
    // The thread body for an argument vector like a program's: argv[0] is
    // never a song and arguments beginning with "-" are skipped. pure is the
    // "Pure" setting: 0 turns the equaliser on.
    void playerThreadMain(const std::vector<std::string>& argv, int pure);
    void resetControl();
    void playSongs();
    bool playSong(const std::string& path);
    // Decodes frames until the song ends (true) or a request comes (false).
    bool decodeSongFrames();
    void seekInSong(float fraction);
    void moveOn();
    void decodeOneFrame(mp3::FrameHeader& header);
    bool acceptFormat(const mp3::FrameHeader& header);
    void showCurrentTitle();
    void cleanup();
    void request(std::atomic<int>& flag);

    PlayerReadouts& readouts_;
    UserMessages& messages_;
    SettingsReader& settings_;
    PlayerControl control_;
    SongInfo song_;
    Playlist playlist_;
    WaveOutput waveOutput_;
    mp3::FrameHeader header_;
    std::thread thread_;
};
