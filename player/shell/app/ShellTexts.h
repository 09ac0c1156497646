#pragma once

// The player window's own texts, each written once.
namespace shelltext {

inline constexpr const char* mainWindowTitle = "Sonorbox 0.82a";
inline constexpr const char* aboutWindowTitle = "About Sonorbox";
inline constexpr const char* aboutWindowClass = "SonorboxAbout";

inline constexpr const char* exceptionCaption = "Application Exception";
inline constexpr const char* unhandledException = "Unhandled exception occured";

inline constexpr const char* skinChooserTitle = "Please select a SKIN.INI file";
inline constexpr const char* skinChooserFilter = "Skin Settings (*.ini)";
inline constexpr const char* noSkinCaption = "A valid skin has not been selected";
inline constexpr const char* homePage = "https://sonorbox.example.org/";

inline constexpr const char* skinQuestionCaption = "Skin settings";
inline constexpr const char* skinQuestion = "Do you want to change skins the next time you start Sonorbox?";

inline constexpr const char* errorCaption = "Application Error";
// What a second start handed over that names nothing to play, as the player
// says of a list it could play nothing of.
inline constexpr const char* nothingToPlay = "Could not play any song of: ";

inline constexpr const char* folderChooserTitle = "Open Folder";
inline constexpr const char* addFolderTitle = "Add Folder";
inline constexpr const char* addFilesTitle = "Add Files";

// The face's menu.
inline constexpr const char* menuOpenFiles = "Open Files...";
inline constexpr const char* menuOpenFolder = "Open Folder...";
inline constexpr const char* menuAddFiles = "Add Files...";
inline constexpr const char* menuAddFolder = "Add Folder...";
inline constexpr const char* menuPlaylist = "Playlist";
inline constexpr const char* menuRepeat = "Repeat";
inline constexpr const char* menuRepeatList = "List";
inline constexpr const char* menuRepeatSong = "Song";
inline constexpr const char* menuRepeatOff = "Off";
inline constexpr const char* menuShuffle = "Shuffle";
inline constexpr const char* menuEqualiser = "Equaliser...";
inline constexpr const char* menuSkins = "Skins";
inline constexpr const char* menuChooseSkinFile = "Choose Skin File...";
inline constexpr const char* menuOnTop = "Always on Top";
inline constexpr const char* menuAbout = "About";
inline constexpr const char* menuQuit = "Quit";

// The playlist window.
inline constexpr const char* playlistWindowTitle = "Playlist";
inline constexpr const char* saveListButton = "Save List...";
inline constexpr const char* saveListTitle = "Save List";
inline constexpr const char* saveListFilter = "M3U8 Playlist (*.m3u8)";

inline constexpr const char* openFilterSongs = "MP3 or Playlist (*.mp3;*.m3u)";
inline constexpr const char* openFilterAll = "All Files (*.*)";

} // namespace shelltext
