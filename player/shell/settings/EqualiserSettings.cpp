#include <charconv>
#include <cmath>
#include <cstddef>

#include "Settings.h"

namespace equalisersettings {

namespace {

constexpr const char* switchSection = "Sonorbox";
constexpr const char* switchKey = "Pure";
constexpr const char* preampKey = "Preamp";
constexpr const char* gainKeys[mp3::equaliserBands] = {"Gain1", "Gain2", "Gain3", "Gain4",  "Gain5",  "Gain6",
                                                       "Gain7", "Gain8", "Gain9", "Gain10", "Gain11", "Gain12"};
constexpr float preampCeilingDb = mp3::equaliserGainLimitDb;

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::optional<float> inRange(std::optional<float> db, float low, float high)
{
    if (db && *db >= low && *db <= high) return db;
    return std::nullopt;
}

std::optional<float> gainFrom(std::string_view text)
{
    return inRange(readDecibels(text), -mp3::equaliserGainLimitDb, mp3::equaliserGainLimitDb);
}

std::optional<float> preampFrom(std::string_view text)
{
    return inRange(readDecibels(text), mp3::equaliserPreampFloorDb, preampCeilingDb);
}

bool switchedOn(const std::optional<std::string>& pure)
{
    if (!pure) return true;
    std::size_t at = 0;
    return readDecimal(*pure, at).value_or(0) == 0;
}

mp3::EqualiserSetting fromSections(const IniSections& sections)
{
    mp3::EqualiserSetting setting = mp3::builtInEqualiser();
    setting.on = switchedOn(sections.value(switchSection, switchKey));
    for (int band = 0; band < mp3::equaliserBands; ++band) {
        const std::optional<std::string> text = sections.value(sectionName, gainKeys[band]);
        if (!text) continue;
        if (const std::optional<float> gain = gainFrom(*text)) setting.gainsDb[band] = *gain;
    }
    if (const std::optional<std::string> text = sections.value(sectionName, preampKey))
        setting.preampDb = preampFrom(*text);
    return setting;
}

} // namespace

std::optional<float> readDecibels(std::string_view text)
{
    text = trimmed(text);
    // from_chars takes no plus sign; a gain of "+3" is as plain as "3".
    if (text.size() > 1 && text.front() == '+' && text[1] != '-' && text[1] != '+') text.remove_prefix(1);
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::fixed);
    if (text.empty() || error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

std::string decibelText(float db)
{
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, db);
    if (error != std::errc()) return "0";
    return std::string(text, end);
}

mp3::EqualiserSetting read(const IniFile& file)
{
    return fromSections(file.readSections());
}

mp3::EqualiserSetting fromText(std::string_view text)
{
    return fromSections(IniSections(text));
}

IniFile::Written write(const IniFile& file, const mp3::EqualiserSetting& setting)
{
    std::string gains[mp3::equaliserBands];
    const std::string preamp = setting.preampDb ? decibelText(*setting.preampDb) : std::string();
    std::vector<IniFile::Change> changes;
    changes.push_back({switchSection, switchKey, setting.on ? "0" : "1"});
    for (int band = 0; band < mp3::equaliserBands; ++band) {
        gains[band] = decibelText(setting.gainsDb[band]);
        changes.push_back({sectionName, gainKeys[band], gains[band]});
    }
    changes.push_back({sectionName, preampKey, preamp});
    return file.save(changes);
}

std::optional<mp3::EqualiserSetting> fromList(std::string_view text, std::string& error)
{
    mp3::EqualiserSetting setting = mp3::builtInEqualiser();
    setting.on = true;
    setting.preampDb.reset();
    int count = 0;
    for (std::size_t at = 0;; ++count) {
        const std::size_t comma = text.find(',', at);
        const std::string_view item = text.substr(at, comma == std::string_view::npos ? text.npos : comma - at);
        if (count < mp3::equaliserBands) {
            const std::optional<float> gain = gainFrom(item);
            if (!gain) {
                error = "gain " + std::to_string(count + 1) + " (\"" + std::string(trimmed(item)) +
                        "\") is not a number of dB from -12 to 12";
                return std::nullopt;
            }
            setting.gainsDb[count] = *gain;
        } else if (count == mp3::equaliserBands) {
            if (trimmed(item) != "auto" && !trimmed(item).empty()) {
                setting.preampDb = preampFrom(item);
                if (!setting.preampDb) {
                    error = "the preamp (\"" + std::string(trimmed(item)) +
                            "\") is neither auto nor a number of dB from -24 to 12";
                    return std::nullopt;
                }
            }
        } else {
            error = "more than twelve gains and a preamp";
            return std::nullopt;
        }
        if (comma == std::string_view::npos) break;
        at = comma + 1;
    }
    if (count + 1 < mp3::equaliserBands) {
        error = "twelve gains are needed, " + std::to_string(count + 1) + " given";
        return std::nullopt;
    }
    return setting;
}

} // namespace equalisersettings

mp3::EqualiserSetting PlayerSettings::equaliser()
{
    return equalisersettings::read(IniFile(filePath()));
}
