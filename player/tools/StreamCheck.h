#pragma once

#include <string>

#include "Mp3Decoder.h"

// Why the first frame of a stream cannot be decoded, or an empty text when it
// can. `gotFrame` is nextFrame's answer for that first frame.
std::string refusalReason(const mp3::FrameHeader& header, bool gotFrame);

// "joint stereo (mid/side)", "single channel" and so on.
std::string describeMode(const mp3::FrameHeader& header);
// "MPEG-1 Layer III" and so on.
std::string describeVersion(const mp3::FrameHeader& header);
