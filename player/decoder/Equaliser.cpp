#include "Equaliser.h"

#include <algorithm>
#include <cmath>

namespace mp3 {

namespace {

// The linear gains a setting's curve plays with: the built-in curve's own
// gains for its dB figures, which are rounded, so that it plays as it always
// has.
void linearGains(const EqualiserSetting& setting, float gains[12])
{
    const bool builtIn = setting.gainsDb == EqualiserSetting{}.gainsDb;
    for (int i = 0; i < equaliserBands; ++i) {
        // A gain beyond the sliders' range plays as its nearest end, one that
        // is no number as no change.
        const float db = std::isnan(setting.gainsDb[i])
                             ? 0.0f
                             : std::clamp(setting.gainsDb[i], -equaliserGainLimitDb, equaliserGainLimitDb);
        gains[i] =
            builtIn ? defaultEqualiserGains[i] : static_cast<float>(std::pow(10.0, static_cast<double>(db) / 20.0));
    }
}

// The curve is linear between its break lines, so its largest gain is the
// largest of the twelve; the headroom brings it to 1.
double headroomOf(const float gains[12])
{
    const double largest = *std::max_element(gains, gains + equaliserBands);
    return largest > 1.0 ? 1.0 / largest : 1.0;
}

} // namespace

EqualiserSetting builtInEqualiser()
{
    return EqualiserSetting{};
}

float preampInEffect(const EqualiserSetting& setting)
{
    float gains[12];
    linearGains(setting, gains);
    const double headroomDb = 20.0 * std::log10(headroomOf(gains));
    if (!setting.preampDb || !(*setting.preampDb < headroomDb)) return static_cast<float>(headroomDb);
    return *setting.preampDb;
}

void buildGainCurve(GainCurve& curve, const EqualiserSetting& setting)
{
    float gains[12];
    linearGains(setting, gains);
    std::optional<double> preamp;
    if (setting.preampDb) preamp = std::pow(10.0, static_cast<double>(*setting.preampDb) / 20.0);
    buildGainCurve(curve, gains, preamp);
}

void buildGainCurve(GainCurve& curve, const float gains[12], std::optional<double> preamp)
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
    double headroom = largest > 1.0 ? 1.0 / largest : 1.0;
    if (preamp && *preamp < headroom) headroom = *preamp;
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
