#include "StreamCheck.h"

namespace {

const char* const layerNames[4] = {"", "I", "II", "III"};

} // namespace

std::string describeVersion(const mp3::FrameHeader& header)
{
    std::string version = header.mpeg25 ? "MPEG-2.5" : header.lsf ? "MPEG-2" : "MPEG-1";
    int layer = header.layer >= 1 && header.layer <= 3 ? header.layer : 0;
    return version + " Layer " + layerNames[layer];
}

std::string describeMode(const mp3::FrameHeader& header)
{
    switch (header.mode) {
    case 0:
        return "stereo";
    case 1: {
        bool midSide = (header.modeExtension & 2) != 0;
        bool intensity = (header.modeExtension & 1) != 0;
        if (midSide && intensity) return "joint stereo (mid/side, intensity)";
        if (midSide) return "joint stereo (mid/side)";
        if (intensity) return "joint stereo (intensity)";
        return "joint stereo";
    }
    case 2:
        return "dual channel";
    default:
        return "single channel";
    }
}

std::string refusalReason(const mp3::FrameHeader& header, bool gotFrame)
{
    if (!gotFrame) {
        if (header.layer == 0) return "no MPEG audio frame found";
        if (header.layer != 3) return describeVersion(header) + " is not supported, only Layer III";
        if (header.bitrateIndex == 0) return "free-format bitrates are not supported";
        return "the first frame is damaged";
    }
    if (header.lsf) return describeVersion(header) + " is not supported, only MPEG-1";
    return {};
}
