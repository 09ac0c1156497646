#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "AudibleSong.h"
#include "Mp3Decoder.h"
#include "Player.h"
#include "PlayerState.h"
#include "Playlist.h"
#include "UserMessages.h"
#include "WaveOutput.h"

class AudioDevice;
class PlayerReadouts;
class SettingsReader;

// The engine behind Player: the player thread, which builds the playlist
// from its paths and plays the entries one after the other as the repeat
// mode and shuffle order them, and the requests through which the window
// thread steers it and edits the list.
class PlayerEngine {
public:
    PlayerEngine(AudioDevice& device, PlayerReadouts& readouts, UserMessages& messages, SettingsReader& settings);
    PlayerEngine(const PlayerEngine&) = delete;
    PlayerEngine& operator=(const PlayerEngine&) = delete;
    ~PlayerEngine();

    void startPlayerThread(const std::vector<std::string>& paths, StartAt at = StartAt::firstEntry);
    bool startOnList(StartAt at);
    void stopPlayback();
    bool isRunning() const { return control_.playerRunning.load() == 1; }
    void requestNext();
    void requestPrevious();
    void requestSeek(float fraction);
    void takeOverFiles(const std::vector<std::string>& paths);
    // The list's requests (PlayerEngineList.cpp); index -1 inserts at the end.
    void insertPaths(int index, const std::vector<std::string>& paths);
    void playEntry(int index);
    void removeEntries(const std::vector<int>& indices);
    void moveEntries(const std::vector<int>& indices, int to);
    void setRepeat(Repeat repeat) { repeat_.store(repeat); }
    Repeat repeat() const { return repeat_.load(); }
    void setShuffle(bool shuffle);
    bool shuffle() const { return playlist_.shuffled(); }
    ListSnapshot listSnapshot() const;
    // A pause holds only while a player thread runs: one asked as it ends is
    // not kept.
    void pause();
    void resume() { waveOutput_.setPaused(false); }
    bool isPaused() const { return waveOutput_.paused(); }
    Audible audible() const { return audible_.now(); }
    bool isSeeking() const;
    void setEqualiser(const mp3::EqualiserSetting& setting);
    mp3::EqualiserSetting equaliser() const;

    PlayerControl& control() { return control_; }
    Playlist& playlist() { return playlist_; }
    const WaveOutput& waveOutput() const { return waveOutput_; }
    const AudibleSong& audibleSong() const { return audible_; }
    // The length of the song being decoded.
    int decodedSongSeconds() const { return decodedSongSeconds_.load(); }
    // The player thread's decoder: to be looked at only while no player
    // thread runs.
    const mp3::Decoder& decoder() const { return decoder_; }

private:
    // The thread body. keepList plays the list as it stands instead of
    // reading paths.
    void playerThreadMain(const std::vector<std::string>& paths, int firstEntry, bool keepList);
    void startThread(const std::vector<std::string>& paths, int firstEntry, bool keepList);
    // The index a start at begins with.
    int firstEntryAt(StartAt at) const;
    void resetControl();
    void playSongs();
    bool playSong(const std::string& path);
    enum class FramesEnd { songEnded, request, refused, notMp3, deviceFailed };
    FramesEnd decodeSongFrames();
    // Shows text as the reason the player ends, at once, and closes the song;
    // returns false, for playSong to end the thread with.
    bool endForFailure(const char* text);
    void seekInSong(float fraction);
    // A stop, next or previous waits to be served.
    bool requestPending() const;
    // Goes to the entry that comes next; true when a request chose it. Next
    // and Prev go on from the entry heard, not the one decoded ahead.
    bool moveOn();
    // At a song's own end: the entry that the repeat mode makes next;
    // false when the list has ended (repeat off).
    bool followOn();
    // Next or Prev (forward false) from the entry heard or shown.
    void stepFromHeard(bool forward);
    // Next or Prev while nothing plays: the neighbouring entry is shown, and
    // a Play at the chosen entry starts with it.
    void chooseWhileStopped(bool forward);
    // A seek whose song is not the one being decoded: that song's entry is
    // opened again at the place sought.
    bool seekInHeardSong(float fraction);
    // After an edit of the list: whether the song decoded ahead is no longer
    // the one that comes after the song heard. Any thread.
    bool decodedAheadIsStale() const;
    // Drops the audio queued beyond the place heard, which the song heard
    // then continues from, when the song decoded ahead is stale.
    bool reopenWhenDecodedAheadIsStale();
    // Asks the player thread to look again at what it decodes ahead.
    void followEdit();
    void tellListChanged();
    // Counts the song just left towards a pass through the list that gave no
    // audio; true when such a pass is complete.
    bool wholePassSilent(bool requested);
    // Refused, decoding nothing, when the frame's format is refused;
    // deviceFailed when the device cannot be opened for it.
    enum class FrameTaken { decoded, refused, deviceFailed };
    FrameTaken decodeOneFrame(mp3::FrameHeader& header);
    // Gives the decoder the equaliser setting asked last.
    void takeEqualiser();
    // Whether the audio queued past the block playing can be made anew with
    // a new equaliser: it is of the song being decoded, or of the song
    // before it, which ended by itself, and of this one.
    bool canRemakeAhead() const;
    // A new equaliser setting: heard from the end of the block playing, the
    // audio after it made anew from there: the song being decoded is decoded
    // again (remade), or the song before it, whose end plays, is opened
    // again at that place and the songs after it follow it again (reopen).
    // Later when nothing ahead can be made anew yet: the setting is then
    // taken once it can.
    enum class EqualiserHeard { remade, reopen, later };
    EqualiserHeard hearEqualiserNow();
    bool acceptFormat(const mp3::FrameHeader& header);
    // Numbers the song being decoded as its first frame is taken, and tells
    // the wave output where its samples begin.
    void beginHeardSong(SongLength length);
    // Lets the audio already made play to its end, the held partial block
    // too, and then shows why the player ends; a request cuts the wait short.
    void endAfterQueuedAudio(const std::string& caption, const std::string& text, MessageIcon icon);
    void playQueuedAudioToEnd();
    void cleanup();
    void request(std::atomic<int>& flag, int value = 1);
    // From the start on (true), or no more, and the pause ends (false).
    void allowPause(bool allowed);
    void setGivenPath(const std::string& path);
    std::string givenPath();

    PlayerReadouts& readouts_;
    UserMessages& messages_;
    SettingsReader& settings_;
    PlayerControl control_;
    AudibleSong audible_;
    Playlist playlist_;
    WaveOutput waveOutput_;
    // The song being decoded is read by this decoder, on the player thread.
    mp3::Decoder decoder_;
    mp3::FrameHeader header_;
    // The song being decoded: its path, its number once its first frame was
    // taken, the frame its samples begin at (not 0 after an early seek), and
    // its length.
    std::string songPath_;
    std::uint32_t songNumber_ = 0;
    // The song being decoded as AudibleSong names it; 0 before its first
    // frame was taken.
    std::atomic<std::uint32_t> decodingSong_{0};
    // The playlist id of the entry being decoded; -1 before the first.
    std::atomic<int> decodingEntry_{-1};
    std::atomic<Repeat> repeat_{Repeat::list};
    bool songBegun_ = false;
    // A seek into a song heard but no longer decoded: its entry and the
    // place, taken when that entry opens.
    int seekEntry_ = -1;
    std::uint32_t seekSong_ = 0;
    float seekOnOpen_ = noSeek;
    // The index of the entry that Next or Prev chose while nothing played;
    // -1 for none.
    // Window thread only.
    int chosenEntry_ = -1;
    // The song that ended by itself was the last of the list (repeat off).
    bool listEnded_ = false;
    std::uint32_t firstFrame_ = 0;
    std::atomic<int> decodedSongSeconds_{0};
    std::int64_t decodedSongMicroseconds_ = 0;
    // The number the place of the last seek was begun with, until heard;
    // whether a seek made before the song's first frame waits for it.
    std::atomic<std::uint32_t> seekNumber_{0};
    bool seekAwaitsSong_ = false;
    // Songs in a row, the current one included, that gave no audio.
    int songsWithoutAudio_ = 0;
    bool songGaveAudio_ = false;
    // The path that the running player was given: at its start or by a
    // hand-off since.
    // Whether a pause may begin: from the thread's start until its end ends
    // the pause, in one step against pause().
    std::mutex pauseMutex_;
    bool pausable_ = false;
    // The equaliser setting asked last; whether the listener has asked for
    // one (until then each start reads the saved one), and whether the
    // player thread is still to take it.
    mutable std::mutex equaliserMutex_;
    mp3::EqualiserSetting equaliser_;
    bool equaliserChosen_ = false;
    // Where the song number written now began: its first frame, and the
    // decoder's samples made by then, which place each of its frames in the
    // decoder's count.
    std::uint32_t numberFirstFrame_ = 0;
    std::int64_t numberFirstSample_ = 0;
    // The same of the song before, while its end may still be queued: its
    // number (0 for none), playlist entry and song as AudibleSong names it.
    struct EarlierSong {
        std::uint32_t number = 0;
        std::uint32_t firstFrame = 0;
        std::int64_t firstSample = 0;
        int entry = -1;
        std::uint32_t song = 0;
    };
    EarlierSong earlier_;
    // Whether a song number was begun in this thread, the entry it was
    // begun for, and its song as AudibleSong names it.
    bool numberKnown_ = false;
    int decodingEntryBegun_ = -1;
    std::uint32_t numberSong_ = 0;
    // Whether the song left last ended by itself, its end queued before the
    // next song's samples.
    bool endedBySelf_ = false;
    // An earlier song to open again at sample (frame, in its numbering):
    // its entry, -1 for none.
    struct Reopen {
        int entry = -1;
        std::uint32_t song = 0;
        std::uint32_t frame = 0;
        std::int64_t sample = 0;
    };
    Reopen reopen_;
    std::mutex givenPathMutex_;
    std::string givenPath_;
    std::thread thread_;
};
