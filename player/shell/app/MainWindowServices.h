#pragma once

class AudioDevice;
class FileDialogs;
class PlaybackRequests;
class PlayerSettings;
class UserMessages;
class WindowPosition;

// What the main window and the player's actions work with; all of it
// outlives the window.
struct MainWindowServices {
    // What the shell asks of the engine: the Player.
    PlaybackRequests& player;
    PlayerSettings& settings;
    WindowPosition& position;
    UserMessages& messages;
    FileDialogs& dialogs;
    // The output, for the volume: its gain applies to every sample handed
    // to it, whatever the engine has queued.
    AudioDevice& device;
};
