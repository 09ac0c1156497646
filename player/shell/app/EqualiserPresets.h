#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Mp3Decoder.h"

using EqualiserGains = std::array<float, mp3::equaliserBands>;

// A named equaliser curve the listener can choose: twelve gains in dB at the
// break points, from the lowest up, each a whole tenth of a dB.
struct EqualiserPreset {
    std::string name;
    EqualiserGains gainsDb;
};

// The curves offered, the player's built-in one first (the default), then
// Flat and the common shapes.
const std::vector<EqualiserPreset>& equaliserPresets();

// The preset whose curve gains are, by its place in equaliserPresets(); none
// for the listener's own curve.
std::optional<std::size_t> presetOf(const EqualiserGains& gains);
