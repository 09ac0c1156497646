#pragma once

#include <string>

#include "Mp3Decoder.h"

// The player's settings as the engine reads them ("Pure" and the listener's
// equaliser); the window shell's settings file implements it.
class SettingsReader {
public:
    virtual ~SettingsReader() = default;
    // The key's value as a decimal integer; 0 when missing or not a number.
    virtual int getInt(const std::string& key) = 0;
    // The saved equaliser: by default the built-in curve, switched off when
    // "Pure" is not 0.
    virtual mp3::EqualiserSetting equaliser()
    {
        mp3::EqualiserSetting setting = mp3::builtInEqualiser();
        setting.on = getInt("Pure") == 0;
        return setting;
    }
};
