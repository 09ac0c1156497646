#pragma once

#include <map>
#include <string>

#include "SettingsReader.h"

// Settings held in memory; a missing key reads as 0.
class FixedSettings : public SettingsReader {
public:
    void set(const std::string& key, int value) { values_[key] = value; }
    int getInt(const std::string& key) override
    {
        auto found = values_.find(key);
        return found == values_.end() ? 0 : found->second;
    }

private:
    std::map<std::string, int> values_;
};
