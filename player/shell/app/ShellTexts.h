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

inline constexpr const char* openFilterSongs = "MP3 or Playlist (*.mp3;*.m3u)";
inline constexpr const char* openFilterAll = "All Files (*.*)";

} // namespace shelltext
