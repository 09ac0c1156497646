#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Skin.h"

class FileDialogs;
class UserMessages;

// Which skin the player wears: the fault of a skin that cannot be worn, the
// skin chooser asked until it gives one that can, and the skins found in the
// skin folders, for the face's menu.
namespace skinchoice {

// The skin whose "Skin.ini" is skinFile, when it loads whole (its face, its
// pressed face, its layout and its about picture); else no skin, and the
// text to tell, naming the file.
struct Loading {
    std::unique_ptr<Skin> skin;
    std::string fault;
};
Loading load(const std::string& skinFile);
inline std::string faultOf(const std::string& skinFile)
{
    return load(skinFile).fault;
}

// Tells the fault of the skin at skinFile over no window: "Skin settings"
// with a warning.
void tellFault(UserMessages& messages, const std::string& fault);

// The skin chooser, in startFolder, until the chosen file is a skin that
// loads: a file that is none (not named "Skin.ini", or not loading) is told
// and the chooser comes again. Empty when it was cancelled, or when ended
// (a signal to end the program) says so once the chooser has answered.
std::string chooseUntilWearable(FileDialogs& dialogs, UserMessages& messages, const std::string& startFolder,
                                const std::function<bool()>& ended);

// A skin in one of the skin folders: its folder's name and its "Skin.ini".
struct FoundSkin {
    std::string name;
    std::string skinFile;
};

// The sub-folders of the folders, in that order, that hold a "Skin.ini" (in
// any letter case), each folder's sorted by name; a folder named twice, or
// missing, adds nothing.
std::vector<FoundSkin> findSkins(const std::vector<std::string>& folders);

// Where the player looks for skins: its own "skins" folder, the user's
// ($XDG_DATA_HOME/sonorbox/skins) and the installed one that holds
// defaultSkin's folder.
std::vector<std::string> skinFolders(const std::string& programDirectory, const std::string& defaultSkin);

} // namespace skinchoice
