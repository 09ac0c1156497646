#pragma once

#include <string>

// The player's settings as the engine reads them ("Pure"); the window shell's
// settings file implements it.
class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    // The key's value as a decimal integer; 0 when missing or not a number.
    virtual int getInt(const std::string& key) = 0;
};
