#include "EqualiserPresets.h"

#include <algorithm>

// The break points lie at 0, 191, 383, 766 Hz, 1.1, 1.9, 3.8, 5.7, 7.7, 11,
// 15 and 22 kHz; between two the curve runs straight. Each shape raises what
// it is named for and leaves the rest at its level, so its headroom (the
// largest raise) lowers the whole song no more than it must.
const std::vector<EqualiserPreset>& equaliserPresets()
{
    static const std::vector<EqualiserPreset> presets{
        {"Built-in", mp3::builtInEqualiser().gainsDb},
        {"Flat", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        // The low octaves lifted, falling away by the lower middle.
        {"Bass boost", {8, 7, 5, 3, 1.5f, 0, 0, 0, 0, 0, 0, 0}},
        // The presence and air above 2 kHz lifted.
        {"Treble boost", {0, 0, 0, 0, 0, 0, 2, 4, 5, 6, 6, 6}},
        // Speech: the rumble below the voice cut, its intelligibility band
        // (1 to 4 kHz) raised, the hiss above it lowered.
        {"Voice", {-6, -4, -1, 1, 3, 4, 4, 2, 0, -2, -4, -6}},
        // Quiet listening: the ends of the spectrum, which the ear hears
        // less of at a low level, lifted against the middle.
        {"Loudness", {6, 5, 3, 0, -1, -1, 0, 2, 3, 4, 4, 4}},
    };
    return presets;
}

std::optional<std::size_t> presetOf(const EqualiserGains& gains)
{
    const auto& presets = equaliserPresets();
    const auto found = std::find_if(presets.begin(), presets.end(),
                                    [&](const EqualiserPreset& preset) { return preset.gainsDb == gains; });
    if (found == presets.end()) return std::nullopt;
    return static_cast<std::size_t>(found - presets.begin());
}
