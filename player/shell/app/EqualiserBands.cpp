#include "EqualiserBands.h"

#include <cmath>

#include "Mp3Decoder.h"

namespace equaliserbands {

namespace {

// The labels name the frequencies of a song at 44.1 kHz.
constexpr double nyquistHz = 22050.0;

} // namespace

double frequencyHz(int band)
{
    return mp3::gainBreakLines[band] * nyquistHz / mp3::granuleLines;
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
