#pragma once

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "Mp3Decoder.h"
#include "PlayerState.h"
#include "Playlist.h"
#include "UserMessages.h"
#include "WaveOutput.h"

class AudioDevice;
class PlayerReadouts;
class SettingsReader;

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
    // Moves within the song to fraction (0, its very start, to 1) of its
    // length.
    void requestSeek(float fraction);

    // Puts the list of path (a song or an M3U list) in place of the playlist
    // and lets a running player thread go on with its first entry.
    void takeOverFile(const std::string& path);

    // While paused nothing plays and the time stands still. Seek, next,
    // previous, a taken-over list and stop end the pause, and a new player
    // thread starts playing.
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
    enum class FramesEnd { songEnded, request, refused };
    FramesEnd decodeSongFrames();
    void seekInSong(float fraction);
    // Goes to the entry that comes next; true when a request chose it.
    bool moveOn();
    // Counts the song just left towards a pass through the list that gave no
    // audio; true when such a pass is complete.
    bool wholePassSilent(bool requested);
    // False, decoding nothing, when the frame's format is refused.
    bool decodeOneFrame(mp3::FrameHeader& header);
    bool acceptFormat(const mp3::FrameHeader& header);
    // Lets the audio already made play to its end, the held partial block
    // too, and then shows why the player ends; a request cuts the wait short.
    void endAfterQueuedAudio(const std::string& caption, const std::string& text, MessageIcon icon);
    void showCurrentTitle();
    void cleanup();
    void request(std::atomic<int>& flag);
    void setGivenPath(const std::string& path);
    std::string givenPath();

    PlayerReadouts& readouts_;
    UserMessages& messages_;
    SettingsReader& settings_;
    PlayerControl control_;
    SongInfo song_;
    Playlist playlist_;
    WaveOutput waveOutput_;
    mp3::FrameHeader header_;
    // Songs in a row, the current one included, that gave no audio.
    int songsWithoutAudio_ = 0;
    bool songGaveAudio_ = false;
    // The path that the running player was given: at its start or by a
    // hand-off since.
    std::mutex givenPathMutex_;
    std::string givenPath_;
    std::thread thread_;
};
