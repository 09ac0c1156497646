#pragma once

#include <optional>

#include "Mp3Decoder.h"

namespace mp3 {

// The player's built-in curve: a little lift at the bottom, rising toward
// twice the level at the top of the spectrum.
inline constexpr float defaultEqualiserGains[12] = {1.2f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f,
                                                    1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 2.0f};

// One decoder's equaliser curve, made from twelve gains, one per break line.
// Each granule is scaled by the curve as it stands when the granule is
// decoded, so a curve made anew sounds from the next granule on.
struct GainCurve {
    // The curve's shape: linear between the twelve gains at the break lines.
    float gainCurve[576] = {};
    // The headroom: the whole curve scaled so that its largest gain is 1 (a
    // curve that raises nothing stays as it is). A gain of at most 1 on every
    // line is what lets a song that plays unclipped without the equaliser
    // play unclipped with it; the shape, and so the sound's balance, is the
    // curve's.
    float headroom = 1.0f;
    // gainCurve times headroom: what applyEqualiser multiplies by.
    float appliedGains[576] = {};
};

// Makes all three from twelve gains: the one place where an equaliser curve
// is made. A preamp (a linear factor) stands in for the headroom when it is
// lower: it may lower the level, never raise a line above 1.
void buildGainCurve(GainCurve& curve, const float gains[12], std::optional<double> preamp = std::nullopt);
// The curve of a setting's gains and preamp (its switch aside).
void buildGainCurve(GainCurve& curve, const EqualiserSetting& setting);
// Scales both channels of the 2 x 576 spectrum block by the applied gains.
void applyEqualiser(const GainCurve& curve, float* spectrum);

} // namespace mp3
