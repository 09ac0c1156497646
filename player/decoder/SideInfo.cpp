#include "BitReader.h"
#include "Frame.h"
#include "Mp3Decoder.h"

namespace mp3 {

// Layer III side information, ISO/IEC 11172-3 2.4.1.7 and 2.4.2.7.
bool readSideInfo(BitReaderState& r, const FrameHeader& header, SideInfo& side)
{
    bool intact = true;
    const bool midSide = midSideOn(header);
    const int channels = header.channels;
    const std::int32_t* bands = bandTable[header.sampleRateIndex];

    side.mainDataBegin = getBits(r, 9);
    side.privateBits = getBitsFast(r, channels == 1 ? 5 : 3);
    for (int ch = 0; ch < channels; ++ch) {
        side.granules[ch][0].scfsi = -1;
        side.granules[ch][1].scfsi = static_cast<std::int32_t>(getBitsFast(r, 4));
    }

    for (int gr = 0; gr < 2; ++gr) {
        for (int ch = 0; ch < channels; ++ch) {
            GranuleInfo& g = side.granules[ch][gr];
            g.part23Length = getBits(r, 12);
            g.bigValues = getBitsFast(r, 9);
            if (g.bigValues > 288) g.bigValues = 288;
            // The +2 carries the 1/sqrt(2) of mid/side reconstruction.
            g.granuleGain = 256 - static_cast<GainPosition>(getBitsFast(r, 8)) + (midSide ? 2 : 0);
            g.scalefacCompress = getBitsFast(r, 4);
            if (get1Bit(r)) {
                g.blockType = getBitsFast(r, 2);
                g.mixedBlock = get1Bit(r);
                g.tableSelect[0] = getBitsFast(r, 5);
                g.tableSelect[1] = getBitsFast(r, 5);
                g.tableSelect[2] = 0;
                for (int w = 0; w < 3; ++w)
                    g.windowGain[w] = g.granuleGain + 8 * static_cast<GainPosition>(getBitsFast(r, 3));
                // Window switching names a block type of 1, 2 or 3.
                if (g.blockType == 0) intact = false;
                g.region1Start = 18;
                g.region2Start = 288;
            } else {
                for (int region = 0; region < 3; ++region) g.tableSelect[region] = getBitsFast(r, 5);
                unsigned region0Count = getBitsFast(r, 4);
                unsigned region1Count = getBitsFast(r, 3);
                g.blockType = 0;
                g.mixedBlock = 0;
                g.region1Start = static_cast<std::uint32_t>(bands[region0Count + 1] >> 1);
                g.region2Start = static_cast<std::uint32_t>(bands[region0Count + region1Count + 2] >> 1);
            }
            g.preflag = get1Bit(r);
            g.scalefacScale = get1Bit(r);
            g.count1Table = get1Bit(r);
        }
    }
    return intact;
}

} // namespace mp3
