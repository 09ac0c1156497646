#include "Settings.h"

#include <array>
#include <charconv>
#include <string_view>
#include <utility>

#include "PathText.h"

namespace {

// The values of "Repeat" as the file spells them.
constexpr std::array<std::pair<Repeat, const char*>, 3> repeatNames = {
    {{Repeat::list, "List"}, {Repeat::song, "Song"}, {Repeat::off, "Off"}}};

bool sameWithoutCase(std::string_view text, std::string_view name)
{
    return text.size() == name.size() && pathtext::endsWithNoCase(text, name);
}

} // namespace

Repeat PlayerSettings::getRepeat() const
{
    const std::string text = getString("Repeat");
    for (const auto& [repeat, name] : repeatNames)
        if (sameWithoutCase(text, name)) return repeat;
    return Repeat::list;
}

void PlayerSettings::putRepeat(Repeat repeat) const
{
    for (const auto& [mode, name] : repeatNames)
        if (mode == repeat) putString("Repeat", name);
}

std::string PlayerSettings::skinFile() const
{
    const std::string skin = getSkin();
    if (skin.empty() || programDirectory_.empty() || pathtext::isAbsolute(skin)) return skin;
    return pathtext::join(programDirectory_, skin);
}

std::string PlayerSettings::getSkinDirectory() const
{
    const std::string skin = skinFile();
    if (pathtext::fileNameOf(skin).size() == skin.size()) return std::string();
    return skin.substr(0, skin.size() - pathtext::fileNameOf(skin).size());
}

int PlayerSettings::getVolume() const
{
    constexpr int full = 100;
    const std::string text = getString("Volume");
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return full;
    int value = -1;
    const char* end = text.data() + last + 1;
    const auto [stop, error] = std::from_chars(text.data() + first, end, value);
    if (error != std::errc() || stop != end || value < 0 || value > full) return full;
    return value;
}

void PlayerSettings::putEqualiser(const mp3::EqualiserSetting& setting) const
{
    note(equalisersettings::write(IniFile(filePath()), setting));
}
