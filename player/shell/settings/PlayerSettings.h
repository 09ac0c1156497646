#pragma once

#include <string>

#include "SettingsReader.h"
#include "SettingsSection.h"

// The "Sonorbox" section of the player's settings file: the chosen skin, the
// last opened song or list, the listener's volume, and "Pure", which the
// engine reads.
class PlayerSettings : public SettingsSection, public SettingsReader {
public:
    explicit PlayerSettings(std::string filePath) : SettingsSection(std::move(filePath), "Sonorbox") {}

    std::string getSkin() const { return getString("skin"); }
    void putSkin(const std::string& value) const { putString("skin", value); }
    std::string getSong() const { return getString("song"); }
    void putSong(const std::string& value) const { putString("song", value); }

    // "Volume": 0 to 100; a missing value, or one that is not a whole number
    // in that range, reads as 100.
    int getVolume() const;
    void putVolume(int value) const { putInt("Volume", value); }

    // The "skin" path up to and including its last separator: the folder in
    // which the skin's bitmaps lie. Empty when the path has no separator.
    std::string getSkinDirectory() const;

    int getInt(const std::string& key) override { return SettingsSection::getInt(key); }
};
