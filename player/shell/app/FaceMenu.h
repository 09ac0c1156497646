#pragma once

#include <QPoint>
#include <memory>
#include <string>
#include <vector>

class MainWindow;
class QMenu;

// The face's menu of the player's actions, each the same action as its
// button, key or media-control method: Open Files..., Open Folder...,
// Add Files..., Add Folder..., Playlist (checked while the playlist window
// is open), Repeat (List, Song or Off, the one set checked), Shuffle
// (checked while on), Equaliser... (its window), Skins (the skins of the
// skin folders, the one worn checked, and the skin chooser), Always on Top
// (checked while the face stays on top), About and Quit. It is made anew
// each time it opens, so it shows the skins and the states of that moment.
class FaceMenu {
public:
    explicit FaceMenu(MainWindow& face);
    ~FaceMenu();

    // Where the Skins sub-menu looks for skins.
    void setSkinFolders(std::vector<std::string> folders) { skinFolders_ = std::move(folders); }

    // Opens the menu at a screen point; it closes by itself.
    void popup(const QPoint& at);
    // The menu last opened, while it is there.
    QMenu* menu() const { return menu_.get(); }

private:
    void build();

    MainWindow& face_;
    std::vector<std::string> skinFolders_;
    std::unique_ptr<QMenu> menu_;
};
