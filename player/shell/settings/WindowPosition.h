#pragma once

#include <cstdint>
#include <string>

#include "SettingsSection.h"

// The "Position" section of the player's settings file: the screen place of
// the main window's top-left corner, saved on quitting.
class WindowPosition : public SettingsSection {
public:
    explicit WindowPosition(std::string filePath) : SettingsSection(std::move(filePath), "Position") {}

    std::int32_t readX() const { return getInt("x"); }
    std::int32_t readY() const { return getInt("y"); }
    void writeX(std::int32_t value) const { putInt("x", value); }
    void writeY(std::int32_t value) const { putInt("y", value); }
};
