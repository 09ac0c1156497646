#pragma once

#include "Frame.h"
#include "ScaleFactors.h"

namespace mp3 {

// Intensity stereo of MPEG-1 (ISO/IEC 11172-3, 2.4.3.4.9.3). Above the
// highest band in which the right channel holds a value (per window in short
// blocks), the left channel carries the sum signal and the right channel's
// scale factors carry intensity positions: position p gives
// left = m * r / (1 + r), right = m / (1 + r) with r = tan(p * pi / 12).
// Position 7 means no intensity for that band: it stays as decoded, plain or
// mid/side. The band above the last scale factor (long 21, short 12) takes
// the position of the band below it.
//
// `spectrumBlock` holds both channels as requantisation left them. With
// mid/side on, those bands hold the sum times 1/sqrt(2) in both channels.
void applyIntensity(float* spectrumBlock, const ScaleFactors& rightScaleFactors, const GranuleInfo& right,
                    int sampleRateIndex, bool midSide);

} // namespace mp3
