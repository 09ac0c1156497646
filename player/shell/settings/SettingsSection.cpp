#include "Settings.h"

std::string SettingsSection::getString(const std::string& key) const
{
    return file_.read(section_, key).value_or(std::string());
}

void SettingsSection::putString(const std::string& key, const std::string& value) const
{
    note(file_.save(section_, key, value));
}

void SettingsSection::note(const IniFile::Written& written) const
{
    if (notices_) notices_->note(written);
}

std::int32_t SettingsSection::getInt(const std::string& key) const
{
    std::size_t at = 0;
    return readDecimal(getString(key), at).value_or(0);
}

void SettingsSection::putInt(const std::string& key, std::int32_t value) const
{
    putString(key, std::to_string(value));
}
