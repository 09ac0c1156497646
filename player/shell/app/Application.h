#pragma once

#include <string>

class AudioDevice;
class EndSignals;
class FileDialogs;
class UserMessages;

// The player's start-up and its end: one running player per user and
// display, the settings file (beside the program or in the user's
// configuration folder), a skin chosen the first time, the main window, the
// message loop, and an orderly teardown.
class Application {
public:
    struct Parts {
        AudioDevice& device;
        UserMessages& messages;
        FileDialogs& dialogs;
    };

    // Where this copy's files are: its own folder, the user's configuration
    // folder for the player, and the default skin a new settings file there
    // names (see settingslocation in Settings.h).
    struct Places {
        std::string programDirectory;
        std::string userConfigFolder;
        std::string defaultSkin;
    };

    // commandLine: the song or list to play, or empty. singleInstanceFolder:
    // where the running player is found; empty for the user's runtime folder.
    Application(Places places, std::string commandLine, const Parts& parts,
                std::string singleInstanceFolder = std::string());

    // Runs until Quit, Escape, the window's closing or a signal to end
    // (SIGTERM, SIGINT, SIGHUP: as Escape); returns the exit code
    // (1 for a second start whose path the running player did not take).
    int run();

    // The settings file this start uses; known once run has found it (a
    // second start that hands its path over never looks for it).
    const std::string& settingsFilePath() const { return settingsFile_; }

private:
    // The skin set, when it can be worn; else (a first start, Quit's Yes, a
    // skin that cannot be loaded, told) the chooser asks for a "Skin.ini"
    // and it is stored. False (after a message saying why) when none was
    // chosen; silently when a signal ended the start.
    bool wearSkin(class PlayerSettings& settings, const EndSignals& endSignals);

    Places places_;
    std::string commandLine_;
    Parts parts_;
    std::string singleInstanceFolder_;
    std::string settingsFile_;
};
