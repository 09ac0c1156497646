#pragma once

namespace mp3 {

inline constexpr int gainBreakLines[12] = {0, 5, 10, 20, 30, 50, 100, 150, 200, 300, 400, 576};
// The player's built-in curve: a little lift at the bottom, rising toward
// twice the level at the top of the spectrum.
inline constexpr float defaultEqualiserGains[12] = {1.2f, 1.0f, 1.1f, 1.2f, 1.3f, 1.4f,
                                                    1.5f, 1.6f, 1.7f, 1.8f, 1.9f, 2.0f};

extern float gainCurve[576];
extern int eqEnabled;

int buildGainCurve(const float gains[12]);
// Scales both channels of the 2 x 576 spectrum block by the curve.
void applyEqualiser(float* spectrum);

} // namespace mp3
