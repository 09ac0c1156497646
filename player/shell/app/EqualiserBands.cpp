#include "EqualiserBands.h"

#include <cmath>

#include "Mp3Decoder.h"

namespace equaliserbands {

namespace {

// The lines of a granule's 576 at which the decoder's curve takes the
// twelve gains, from the lowest up.
constexpr int breakLines[mp3::equaliserBands] = {0, 5, 10, 20, 30, 50, 100, 150, 200, 300, 400, 576};
constexpr int granuleLines = 576;
constexpr double nyquistHz = 22050.0;

} // namespace

double frequencyHz(int band)
{
    return breakLines[band] * nyquistHz / granuleLines;
}

QString label(double hz)
{
    // Whole hertz below a kilohertz, a tenth of one below ten, whole ones
    // above: at most three figures, so twelve fit side by side.
    const long hertz = std::lround(hz);
    if (hertz < 1000) return QString::number(hertz);
    const double kiloHertz = hz / 1000.0;
    if (std::lround(kiloHertz * 10.0) < 100) return QString::number(kiloHertz, 'f', 1) + QLatin1Char('k');
    return QString::number(std::lround(kiloHertz)) + QLatin1Char('k');
}

} // namespace equaliserbands
