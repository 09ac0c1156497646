#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

class QFileDialog;
class QWidget;

// The file dialogs of the player. The window shell shows Qt's
// dialogs; tests answer with set paths.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // "Please select a SKIN.INI file", starting in startFolder: the chosen
    // path, or empty when cancelled.
    virtual std::string chooseSkinFile(const std::string& startFolder) = 0;

    // What a chosen song or folder is for: to play in place of the list
    // (the Open button, Open Files..., Open Folder...), or to join its end
    // (Add Files..., Add Folder...). The dialog's title says which.
    enum class Purpose { open, add };

    // The Open button's dialog over owner, on the current song: the chosen
    // songs and lists in the order the dialog gives them, or none when
    // cancelled.
    virtual std::vector<std::string> chooseSongs(QWidget* owner, const std::string& currentSong, Purpose purpose) = 0;

    // Open Folder...'s chooser of folders over owner, in the current song's
    // folder: the chosen folder, or nothing when cancelled.
    virtual std::optional<std::string> chooseFolder(QWidget* owner, const std::string& currentSong,
                                                    Purpose purpose) = 0;

    // "Save List"'s chooser of a file to write over owner, in the folder of
    // nearSong: the chosen path, ending in ".m3u8" when it named no
    // extension, or nothing when cancelled.
    virtual std::optional<std::string> chooseListToSave(QWidget* owner, const std::string& nearSong) = 0;
};

class QtFileDialogs : public FileDialogs {
public:
    std::string chooseSkinFile(const std::string& startFolder) override;
    std::vector<std::string> chooseSongs(QWidget* owner, const std::string& currentSong, Purpose purpose) override;
    std::optional<std::string> chooseFolder(QWidget* owner, const std::string& currentSong, Purpose purpose) override;
    std::optional<std::string> chooseListToSave(QWidget* owner, const std::string& nearSong) override;

    // The skin chooser, ready to be shown: its title, and "Skin Settings"
    // (".ini" files, in any letter case) as its one filter.
    static std::unique_ptr<QFileDialog> skinDialog(const std::string& startFolder);

    // The Open button's dialog, ready to be shown: "MP3 or Playlist" (songs
    // and lists, in any letter case) and "All Files"; several may be chosen.
    // Untitled to open, as it always was; "Add Files" to add.
    static std::unique_ptr<QFileDialog> songDialog(QWidget* owner, const std::string& currentSong,
                                                   Purpose purpose = Purpose::open);
};
