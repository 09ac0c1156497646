#include "Equaliser.h"

namespace mp3 {

float gainCurve[576];
int eqEnabled = 0;

int buildGainCurve(const float gains[12])
{
    for (int i = 0; i < 11; ++i) {
        const int a = gainBreakLines[i];
        const int b = gainBreakLines[i + 1];
        const double slope = (static_cast<double>(gains[i + 1]) - gains[i]) / (a - b);
        for (int j = a + 1; j < b; ++j) gainCurve[j] = static_cast<float>(gains[i] + slope * (a - j));
        gainCurve[a] = gains[i];
    }
    return 1;
}

void applyEqualiser(float* spectrum)
{
    float* left = spectrum;
    float* right = spectrum + 576;
    for (int k = 0; k < 576; ++k) {
        left[k] *= gainCurve[k];
        right[k] *= gainCurve[k];
    }
}

} // namespace mp3
