#pragma once

#include <QString>

// Where the equaliser's twelve gains lie in a song at 44.1 kHz, for the
// listener: the decoder's break lines, each line of a granule's 576 spanning
// 22050 / 576 Hz.
namespace equaliserbands {

double frequencyHz(int band);
// A frequency as a slider's label: "0", "191", "1.9k", "22k".
QString label(double hz);

} // namespace equaliserbands
