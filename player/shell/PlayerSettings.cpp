#include "PlayerSettings.h"

#include "PathText.h"

std::string PlayerSettings::getSkinDirectory() const
{
    const std::string skin = getSkin();
    if (pathtext::fileNameOf(skin).size() == skin.size())
        return std::string();
    return skin.substr(0, skin.size() - pathtext::fileNameOf(skin).size());
}
