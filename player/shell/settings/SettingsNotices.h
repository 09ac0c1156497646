#pragma once

#include <functional>
#include <string>

#include "IniFile.h"

// Tells the user what a save of the settings file could not do, or did
// besides saving: once a run for each kind, however often the settings are
// saved (each notch of the wheel saves the volume).
class SettingsNotices {
public:
    explicit SettingsNotices(std::function<void(const std::string& text)> tell) : tell_(std::move(tell)) {}

    void note(const IniFile::Written& written);

private:
    std::function<void(const std::string&)> tell_;
    bool toldNotSaved_ = false;
    bool toldKeptAside_ = false;
};
