#pragma once

#include <string>

// Where the player keeps "Sonorbox.ini". A copy with a writable settings file
// beside the program keeps it there (the build folder, a portable copy). Any
// other copy, such as one installed under /usr, keeps it in the user's
// configuration folder, where the first start writes it with "skin" naming
// the installed default skin, so that start needs no chooser. The rule looks
// at the file, not at whether the folder is writable: root may write /usr/bin.
namespace settingslocation {

// The file the player reads and writes. userConfigFolder is the player's own
// folder under the user's configuration folder; defaultSkin the "Skin.ini"
// to seed a new file with (left out when it does not exist). When the user's
// folder cannot be made, says so on standard error and still returns the
// path: reads then give the defaults and writes are lost, as for any file
// that cannot be written.
std::string settingsFileFor(const std::string& programDirectory, const std::string& userConfigFolder,
                            const std::string& defaultSkin);

// $XDG_CONFIG_HOME/sonorbox (~/.config/sonorbox when unset).
std::string userConfigFolder();

// The default skin's "Skin.ini" of this copy: beside the program (the build
// folder, a portable copy) or in the installed tree's data folder, found from
// the program's own folder, so an installed tree may be moved as a whole.
std::string defaultSkinFor(const std::string& programDirectory);

} // namespace settingslocation
