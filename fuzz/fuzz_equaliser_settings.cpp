// Reads arbitrary bytes as a settings file's equaliser and as a command
// line's list of gains: every reading ends with a setting whose values lie in
// their ranges, and a setting read and written reads back the same.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "Settings.h"

namespace {

void expectInRange(const mp3::EqualiserSetting& setting)
{
    for (float gain : setting.gainsDb)
        if (!(std::fabs(gain) <= mp3::equaliserGainLimitDb)) std::abort();
    if (setting.preampDb && !(*setting.preampDb >= mp3::equaliserPreampFloorDb && *setting.preampDb <= 12.0f))
        std::abort();
    if (!(mp3::preampInEffect(setting) <= 0.0f)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const mp3::EqualiserSetting fromFile = equalisersettings::fromText(text);
    expectInRange(fromFile);

    std::string why;
    const auto fromList = equalisersettings::fromList(text, why);
    if (fromList) {
        expectInRange(*fromList);
        if (!why.empty()) std::abort();
    } else if (why.empty()) {
        std::abort();
    }

    // What a write puts into the text reads back as the setting written.
    std::string updated(text);
    const char* keys[] = {"Gain1", "Gain2", "Gain3", "Gain4",  "Gain5",  "Gain6",
                          "Gain7", "Gain8", "Gain9", "Gain10", "Gain11", "Gain12"};
    for (int band = 0; band < mp3::equaliserBands; ++band)
        updated = initext::withValue(updated, equalisersettings::sectionName, keys[band],
                                     equalisersettings::decibelText(fromFile.gainsDb[band]));
    const auto reread = equalisersettings::fromText(updated);
    if (reread.gainsDb != fromFile.gainsDb) std::abort();
    return 0;
}
