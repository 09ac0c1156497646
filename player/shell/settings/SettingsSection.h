#pragma once

#include <cstdint>
#include <string>

#include "IniFile.h"

class SettingsNotices;

// One section of an INI settings file: the player's own settings file, or a
// skin's "Skin.ini". Values are read whole, however long.
class SettingsSection {
public:
    SettingsSection(std::string filePath, std::string sectionName)
        : file_(std::move(filePath)), section_(std::move(sectionName))
    {
    }

    // The empty string when the file, the section or the key is missing.
    std::string getString(const std::string& key) const;
    // A failed write leaves the old value; it is told to the notices, when
    // there are any.
    void putString(const std::string& key, const std::string& value) const;

    // The value as a decimal integer: leading white space and a sign are allowed,
    // reading stops at the first character that is not a numeral, and a text
    // without numerals (or a missing key) gives 0. Values beyond the 32-bit
    // range give its nearest end.
    std::int32_t getInt(const std::string& key) const;
    void putInt(const std::string& key, std::int32_t value) const;

    const std::string& filePath() const { return file_.path(); }
    // What the saves could not do goes there; it outlives this section.
    void setNotices(SettingsNotices* notices) { notices_ = notices; }
    const std::string& sectionName() const { return section_; }

private:
    IniFile file_;
    std::string section_;
    SettingsNotices* notices_ = nullptr;
};
