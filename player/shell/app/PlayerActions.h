#pragma once

#include <functional>
#include <string>

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
    // and whose position Quit keeps.
    PlayerActions(const MainWindowServices& services, QWidget& face);

    // Paused, Play goes on where the song was; otherwise it starts the
    // "song" setting, when that names a file that can be read or a folder
    // that can be listed.
    void play();
    // Pauses a playing player, or ends the pause.
    void togglePause();
    bool isPaused() const;
    void stop();
    // Next and Prev only ask; with no player running nothing happens.
    void next();
    void previous();
    // The chooser of songs and lists; a choice plays as playPath does.
    void open();
    // The chooser of folders; the chosen folder's songs and lists play as
    // playPath plays them.
    void openFolder();
    // Remembers path (a song, an M3U list or a folder of them) as the "song"
    // and plays it.
    void playPath(const std::string& path);
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
    // Told after play, pause, stop or a new song or list asked: the player
    // may have started, paused, resumed or stopped.
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
