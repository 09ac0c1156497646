#include "Equaliser.h"

#include <algorithm>
#include <cmath>

namespace mp3 {

void buildGainCurve(GainCurve& curve, const float gains[12])
{
    float* const gainCurve = curve.gainCurve;
    for (int i = 0; i < 11; ++i) {
        const int a = gainBreakLines[i];
        const int b = gainBreakLines[i + 1];
        const double slope = (static_cast<double>(gains[i + 1]) - gains[i]) / (a - b);
        for (int j = a + 1; j < b; ++j) gainCurve[j] = static_cast<float>(gains[i] + slope * (a - j));
        gainCurve[a] = gains[i];
    }
    const double largest = *std::max_element(gainCurve, gainCurve + 576);
    const double headroom = largest > 1.0 ? 1.0 / largest : 1.0;
    curve.headroom = static_cast<float>(headroom);
    // Rounded down where the product lies between two floats, so that the
    // largest applied gain is 1 at most, never a step above it.
    for (int k = 0; k < 576; ++k) {
        const double gain = gainCurve[k] * headroom;
        float applied = static_cast<float>(gain);
        if (applied > gain) applied = std::nextafter(applied, 0.0f);
        curve.appliedGains[k] = applied;
    }
}

void applyEqualiser(const GainCurve& curve, float* spectrum)
{
    const float* const appliedGains = curve.appliedGains;
    float* left = spectrum;
    float* right = spectrum + 576;
    for (int k = 0; k < 576; ++k) {
        left[k] *= appliedGains[k];
        right[k] *= appliedGains[k];
    }
}

} // namespace mp3
