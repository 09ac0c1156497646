#pragma once

#include "Frame.h"
#include "PcmSink.h"

namespace mp3 {

// Decodes the frame that readFrame has just read, all the way to PCM; every
// full block of pcmBlockBytes goes to the sink. The reader must stand at the
// first bit after the header (after the CRC word, when there is one).
// Throws TextException(corruptMp3Text) for corrupt side information.
void decodeFrame(const FrameHeader& header, PcmSink& sink);

// Hands the partly filled block (a whole number of sample frames) to the sink:
// for the end of a stream where nothing may be lost.
void flushPcm(PcmSink& sink);

// Puts the whole decoder into its program-start state: tables built, the
// reader, the overlap and synthesis history and the PCM output cleared.
// eqEnabled is left as it is.
void resetDecoder();

} // namespace mp3
