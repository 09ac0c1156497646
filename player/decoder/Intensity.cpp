#include "Intensity.h"

#include <array>
#include <cmath>

namespace mp3 {

namespace {

constexpr int illegalPosition = 7;

struct Ratios {
    float left[7];
    float right[7];
};

Ratios buildRatios()
{
    Ratios r{};
    constexpr double pi = 3.14159265358979323846;
    for (int p = 0; p < 7; ++p) {
        if (p == 6) {
            // tan(pi / 2): everything to the left.
            r.left[p] = 1.0f;
            r.right[p] = 0.0f;
            continue;
        }
        double ratio = std::tan(p * pi / 12.0);
        r.left[p] = static_cast<float>(ratio / (1.0 + ratio));
        r.right[p] = static_cast<float>(1.0 / (1.0 + ratio));
    }
    return r;
}

const Ratios& ratios()
{
    static const Ratios built = buildRatios();
    return built;
}

// Lines first, first + step, ... (count of them) of one band or window.
void pan(float* left, float* right, int first, int step, int count, int position, float sumScale)
{
    if (position >= illegalPosition || position < 0) return;
    const Ratios& ratio = ratios();
    const float l = ratio.left[position] * sumScale;
    const float r = ratio.right[position] * sumScale;
    for (int k = 0, line = first; k < count; ++k, line += step) {
        float m = left[line];
        left[line] = m * l;
        right[line] = m * r;
    }
}

// Long bands from `firstBand` to 21; `positionOf` (band) gives the scale factor.
template <typename Position>
void panLongBands(float* left, float* right, const std::int32_t* row, int firstBand, int endBand, Position positionOf,
                  float sumScale)
{
    for (int band = firstBand; band < endBand; ++band)
        pan(left, right, row[band], 1, row[band + 1] - row[band], positionOf(band), sumScale);
}

// Short bands from `firstBand` to 12 of window w, in the interleaved layout:
// value k of window w in a band starting at line i lies at i + w + 3k.
template <typename Position>
void panShortBands(float* left, float* right, const std::int32_t* row, int window, int firstBand, Position positionOf,
                   float sumScale)
{
    const std::int32_t* boundaries = row + 45; // three times the per-window line
    const std::int32_t* widths = row + 59;
    for (int band = firstBand; band < 13; ++band)
        pan(left, right, boundaries[band] + window, 3, widths[band], positionOf(band), sumScale);
}

} // namespace

void applyIntensity(float* spectrumBlock, const ScaleFactors& sf, const GranuleInfo& right, int sampleRateIndex,
                    bool midSide)
{
    float* const l = spectrumBlock;
    float* const r = spectrumBlock + 576;
    const std::int32_t* row = bandTable[sampleRateIndex];
    // Mid/side scaled the sum by 1/sqrt(2); intensity wants it whole.
    const float sumScale = midSide ? static_cast<float>(std::sqrt(2.0)) : 1.0f;

    if (right.blockType != 2) {
        auto position = [&](int band) { return sf[band < 21 ? band : 20]; };
        panLongBands(l, r, row, right.highestBand[3] + 1, 22, position, sumScale);
        return;
    }
    // Short bands: the scale factors are in band order, three windows each,
    // after the eight long bands of a mixed granule.
    const int shortBase = right.mixedBlock ? 8 - 3 * 3 : 0;
    bool shortPartEmpty = true;
    for (int w = 0; w < 3; ++w) {
        int first = right.highestBand[w] + 1;
        if (right.mixedBlock && first > 3) shortPartEmpty = false;
        if (right.mixedBlock && first < 3) first = 3;
        auto position = [&](int band) { return sf[shortBase + 3 * (band < 12 ? band : 11) + w]; };
        panShortBands(l, r, row, w, first, position, sumScale);
    }
    // The long bands of a mixed granule carry intensity only when no window
    // of its short part holds a value.
    if (right.mixedBlock && shortPartEmpty) {
        auto position = [&](int band) { return sf[band]; };
        panLongBands(l, r, row, right.highestBand[3] + 1, 8, position, sumScale);
    }
}

} // namespace mp3
