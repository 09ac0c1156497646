#pragma once

#include <functional>
#include <string>
#include <vector>

#include "Desktop.h"
#include "MainWindowServices.h"
#include "Mp3Decoder.h"
#include "SaveAtRest.h"
#include "VolumeSave.h"

class QWidget;

// Everything the listener can ask of the player, in one place: the face's
// nine buttons, its menu, the keys, a drop on the face and a second start's
// hand-off all call these, so each action is written once. The engine is
// reached through the few private helpers at the end and the calls they make.
class PlayerActions : public MediaControls {
public:
    // face: the main window, which the actions minimise, place dialogs over
    // and whose position Quit keeps. The repeat mode and shuffle remembered
    // reach the engine here, before anything plays.
    PlayerActions(const MainWindowServices& services, QWidget& face);

    // Paused, Play goes on where the song was. Otherwise it plays the list
    // as it stands (what was opened, with what was added since) from the
    // entry that Next or Prev chose while stopped, or from its first; with
    // an empty list (after a start) the "song" setting, when that names a
    // file that can be read or a folder that can be listed.
    void play();
    // Pauses a playing player, or ends the pause.
    void togglePause();
    bool isPaused() const;
    void stop();
    // Next and Prev only ask; with no player running nothing happens.
    void next();
    void previous();
    // The chooser of songs and lists, which takes several; the choice plays
    // as playPaths plays it.
    void open();
    // The chooser of folders; the chosen folder's songs and lists play as
    // playPath plays them.
    void openFolder();
    // Remembers path (a song, an M3U list or a folder of them) as the "song"
    // and plays it.
    void playPath(const std::string& path);
    // Plays the songs of paths, each read as one path is, as one list; the
    // first path is remembered as the "song".
    void playPaths(const std::vector<std::string>& paths);
    // The same choosers, whose choice joins the end of the list: what plays
    // goes on, and while nothing plays Play plays the list with it.
    void addFiles();
    void addFolder();

    // What follows the last entry or a song by itself, and shuffle: asked of
    // the engine and remembered as "Repeat" and "Shuffle".
    Repeat repeat() const;
    void setRepeat(Repeat repeat);
    bool shuffle() const;
    void setShuffle(bool shuffle);
    // A path handed over by a second start: it becomes the playlist and the
    // "song", and a running player moves on to it. A path that names nothing
    // to read is refused with a message, and what is heard goes on.
    void takeOverFile(const std::string& path);

    // Moves within the playing song to fraction (0: its very start, 1: its
    // end) of its length.
    void seekToFraction(float fraction);
    // Moves seconds forward (negative: back) from the position heard, no
    // further back than the start.
    void seekBy(double seconds);
    // Moves to seconds from the start of the song heard; at or past its end,
    // to the entry after it, from its start.
    void seekTo(double seconds);
    // Told each seek asked, before the player has made it.
    std::function<void()> onSeekAsked;
    // Told after play, pause, stop, a new song or list, a repeat mode or
    // shuffle asked: the player may have started, paused, resumed, stopped
    // or changed its order.
    std::function<void()> onPlaybackChanged;

    // The volume, 0 to 100: heard at once through the device's gain (the
    // cubic taper), and remembered in the settings once it rests (and at
    // Quit and when the actions end).
    int volume() const { return volume_; }
    void setVolume(int volume);
    void changeVolume(int by) { setVolume(volume_ + by); }
    // Told each new volume, to show it.
    std::function<void(int volume)> onVolumeChanged;

    // The listener's equaliser: heard at once (the engine takes the newest
    // of quick changes together), and remembered in the settings once it
    // rests (and at Quit and when the actions end), as the volume is.
    mp3::EqualiserSetting equaliser() const;
    void setEqualiser(const mp3::EqualiserSetting& setting);

    void showAbout();
    void minimize();
    // Ends the player, keeping the window's position; askAboutSkin asks
    // first whether to choose another skin at the next start.
    void quit(bool askAboutSkin);

private:
    void tellPlaybackChanged();

    // The engine's state that the actions read.
    bool playerRunning() const;

    MainWindowServices services_;
    QWidget& face_;
    int volume_;
    VolumeSave volumeSave_;
    SaveAtRest<mp3::EqualiserSetting> equaliserSave_;
};
