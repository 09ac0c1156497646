// Frame headers and Layer III side information.
#include <gtest/gtest.h>

#include "BitReader.h"
#include "Frame.h"
#include "StreamBuilder.h"
#include "Mp3Decoder.h"

using namespace mp3;
using namespace mp3test;

namespace {

class HeaderDecoding : public ::testing::Test {
protected:
    BitReaderState reader;
    FrameHeader header;
};

TEST_F(HeaderDecoding, JointStereo128kAt44100)
{
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFB9064u));
    EXPECT_EQ(header.lsf, 0);
    EXPECT_EQ(header.mpeg25, 0);
    EXPECT_EQ(header.layer, 3);
    EXPECT_EQ(header.errorProtection, 0);
    EXPECT_EQ(header.bitrateIndex, 9);
    EXPECT_EQ(bitrateKbps(header), 128);
    EXPECT_EQ(header.sampleRateIndex, 0);
    EXPECT_EQ(sampleRateHz(header), 44100);
    EXPECT_EQ(header.padding, 0);
    EXPECT_EQ(header.mode, 1);
    EXPECT_EQ(header.modeExtension, 2);
    EXPECT_TRUE(midSideOn(header));
    EXPECT_FALSE(intensityOn(header));
    EXPECT_EQ(header.channels, 2);
    EXPECT_EQ(header.emphasis, 0);
    EXPECT_EQ(header.originalBit, 1);
    EXPECT_EQ(header.copyrightBit, 0);
    EXPECT_EQ(reader.sideInfoSize, 32);
    EXPECT_EQ(header.frameSize, 413);
    EXPECT_EQ(reader.previousHeader, 0xFFFB9064u);

    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFB9264u));
    EXPECT_EQ(header.padding, 1);
    EXPECT_EQ(header.frameSize, 414);
}

TEST_F(HeaderDecoding, FrameSizesAtTheOtherRates)
{
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFBE400u)); // 48 kHz, 320 kbit/s
    EXPECT_EQ(header.sampleRateIndex, 1);
    EXPECT_EQ(header.frameSize, 956);

    resetSync(reader);
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFBEA00u)); // 32 kHz, 320 kbit/s, padded
    EXPECT_EQ(header.sampleRateIndex, 2);
    EXPECT_EQ(header.frameSize, 1437);
}

TEST_F(HeaderDecoding, SideInformationSizeFollowsChannelsAndCrc)
{
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFA9064u));
    EXPECT_EQ(header.errorProtection, 1);
    EXPECT_EQ(reader.sideInfoSize, 34);
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFB90C4u));
    EXPECT_EQ(header.channels, 1);
    EXPECT_EQ(header.mode, 3);
    // The CRC flag is each frame's own: streams switch it.
    EXPECT_EQ(header.errorProtection, 0);
    EXPECT_EQ(reader.sideInfoSize, 17);
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFA90C4u));
    EXPECT_EQ(reader.sideInfoSize, 19);
}

TEST_F(HeaderDecoding, FreeFormatAndOtherLayersAreRefused)
{
    EXPECT_FALSE(decodeHeader(reader, header, 0xFFFB0064u)); // free format
    for (HeaderWord otherLayer : {0xFFFF9064u, 0xFFFD9064u}) {
        resetSync(reader);
        EXPECT_FALSE(decodeHeader(reader, header, otherLayer));
        EXPECT_NE(header.layer, 3);
    }
}

TEST_F(HeaderDecoding, LaterFramesKeepTheFirstLayerAndSampleRate)
{
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFB9064u));
    // Layer II bits, 48 kHz bits, 160 kbit/s, padding.
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFDA664u));
    EXPECT_EQ(header.layer, 3);
    EXPECT_EQ(header.sampleRateIndex, 0);
    EXPECT_EQ(header.bitrateIndex, 10);
    EXPECT_EQ(header.frameSize, 160 * 144000 / 44100 + 1 - 4);
}

TEST_F(HeaderDecoding, BodiesThatNoBufferHoldsAreRefused)
{
    // First frame MPEG-2.5 at 8 kHz, then an MPEG-1 320 kbit/s word: 5756 bytes.
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFE3E800u));
    EXPECT_EQ(header.sampleRateIndex, 8);
    EXPECT_EQ(header.frameSize, 1436);
    EXPECT_FALSE(decodeHeader(reader, header, 0xFFFBE000u));

    // First frame MPEG-1 48 kHz, then an MPEG-2 8 kbit/s word: 8 bytes, less
    // than its side information.
    resetSync(reader);
    ASSERT_TRUE(decodeHeader(reader, header, 0xFFFB1400u));
    EXPECT_FALSE(decodeHeader(reader, header, 0xFFF31400u));
}

class SideInformation : public ::testing::Test {
protected:
    void read(HeaderWord h)
    {
        BitWriter out;
        writeSideInfo(out, mainDataBegin, (h & 0xC0) == 0xC0 ? 1 : 2, scfsi, fields);
        bytes = out.bytes();
        reader = loadBits(bytes);
        ASSERT_TRUE(decodeHeader(*reader, header, h));
        intact = readSideInfo(*reader, header, side);
    }

    std::unique_ptr<BitReaderState> reader;
    bool intact = false;
    unsigned mainDataBegin = 0;
    unsigned scfsi[2] = {0, 0};
    GranuleFields fields[2][2];
    std::vector<std::uint8_t> bytes;
    FrameHeader header;
    SideInfo side;
};

TEST_F(SideInformation, EveryFieldInBitstreamOrder)
{
    mainDataBegin = 311;
    scfsi[0] = 0xA;
    scfsi[1] = 0x5;
    for (int ch = 0; ch < 2; ++ch) {
        for (int gr = 0; gr < 2; ++gr) {
            GranuleFields& f = fields[ch][gr];
            unsigned k = 2 * ch + gr;
            f.part23Length = 1000 + 517 * k;
            f.bigValues = 100 + 31 * k;
            f.globalGain = 150 + k;
            f.scalefacCompress = 3 + 4 * k;
            f.tableSelect[0] = 1 + k;
            f.tableSelect[1] = 13 + k;
            f.tableSelect[2] = 24 + k;
            f.region0Count = 7;
            f.region1Count = 2;
            f.preflag = k & 1;
            f.scalefacScale = (k >> 1) & 1;
            f.count1Table = (k == 2);
        }
    }
    fields[1][1].windowSwitching = true;
    fields[1][1].blockType = 3;
    fields[1][1].mixedBlock = 1;
    fields[1][1].subblockGain[0] = 1;
    fields[1][1].subblockGain[1] = 5;
    fields[1][1].subblockGain[2] = 7;
    read(stereo128);
    EXPECT_EQ(bitsConsumed(*reader), 256);
    EXPECT_EQ(side.mainDataBegin, 311u);
    EXPECT_EQ(side.granules[0][0].scfsi, -1);
    EXPECT_EQ(side.granules[0][1].scfsi, 0xA);
    EXPECT_EQ(side.granules[1][0].scfsi, -1);
    EXPECT_EQ(side.granules[1][1].scfsi, 0x5);
    for (int ch = 0; ch < 2; ++ch) {
        for (int gr = 0; gr < 2; ++gr) {
            SCOPED_TRACE(testing::Message() << "channel " << ch << " granule " << gr);
            const GranuleFields& f = fields[ch][gr];
            const GranuleInfo& g = side.granules[ch][gr];
            EXPECT_EQ(g.part23Length, f.part23Length);
            EXPECT_EQ(g.bigValues, f.bigValues);
            EXPECT_EQ(g.granuleGain, 256 - static_cast<int>(f.globalGain));
            EXPECT_EQ(g.scalefacCompress, f.scalefacCompress);
            EXPECT_EQ(g.preflag, f.preflag);
            EXPECT_EQ(g.scalefacScale, f.scalefacScale);
            EXPECT_EQ(g.count1Table, f.count1Table);
            EXPECT_EQ(g.tableSelect[0], f.tableSelect[0]);
            EXPECT_EQ(g.tableSelect[1], f.tableSelect[1]);
            if (!f.windowSwitching) {
                EXPECT_EQ(g.tableSelect[2], f.tableSelect[2]);
                EXPECT_EQ(g.blockType, 0u);
                EXPECT_EQ(g.mixedBlock, 0u);
            }
        }
    }
    const GranuleInfo& ws = side.granules[1][1];
    EXPECT_EQ(ws.blockType, 3u);
    EXPECT_EQ(ws.mixedBlock, 1u);
    EXPECT_EQ(ws.tableSelect[2], 0u);
    EXPECT_EQ(ws.region1Start, 18u);
    EXPECT_EQ(ws.region2Start, 288u);
    EXPECT_EQ(ws.windowGain[0], ws.granuleGain + 8);
    EXPECT_EQ(ws.windowGain[1], ws.granuleGain + 40);
    EXPECT_EQ(ws.windowGain[2], ws.granuleGain + 56);
}

TEST_F(SideInformation, SingleChannelHasFivePrivateBitsAndOneChannel)
{
    mainDataBegin = 0x1FF;
    scfsi[0] = 0x9;
    fields[0][0].part23Length = 0xABC;
    fields[0][1].part23Length = 0x123;
    fields[0][1].count1Table = 1;
    read(mono128);
    EXPECT_EQ(bitsConsumed(*reader), 136);
    EXPECT_EQ(side.mainDataBegin, 0x1FFu);
    EXPECT_EQ(side.granules[0][1].scfsi, 0x9);
    EXPECT_EQ(side.granules[0][0].part23Length, 0xABCu);
    EXPECT_EQ(side.granules[0][1].part23Length, 0x123u);
    EXPECT_EQ(side.granules[0][1].count1Table, 1u);
}

TEST_F(SideInformation, BigValuesAbove288AreClamped)
{
    fields[0][0].bigValues = 511;
    fields[1][1].bigValues = 289;
    fields[0][1].bigValues = 288;
    read(stereo128);
    EXPECT_EQ(side.granules[0][0].bigValues, 288u);
    EXPECT_EQ(side.granules[1][1].bigValues, 288u);
    EXPECT_EQ(side.granules[0][1].bigValues, 288u);
}

TEST_F(SideInformation, WindowSwitchingWithBlockType0IsDamageAndTheRestIsStillRead)
{
    read(stereo128);
    EXPECT_TRUE(intact);
    fields[1][0].windowSwitching = true;
    fields[1][0].blockType = 0;
    fields[1][1].part23Length = 1234;
    read(stereo128);
    EXPECT_FALSE(intact);
    EXPECT_EQ(side.granules[1][1].part23Length, 1234u);
}

TEST_F(SideInformation, RegionStartsComeFromTheLongBandBoundaries)
{
    fields[0][0].region0Count = 7;
    fields[0][0].region1Count = 2;
    fields[0][1].region0Count = 0;
    fields[0][1].region1Count = 0;
    // Counts past the 22 bands run into the band widths: 15 + 7 + 2 = 24 is
    // long width 1, which is 4 lines.
    fields[1][0].region0Count = 15;
    fields[1][0].region1Count = 7;
    read(stereo128);
    EXPECT_EQ(side.granules[0][0].region1Start, 36u / 2);
    EXPECT_EQ(side.granules[0][0].region2Start, 62u / 2);
    EXPECT_EQ(side.granules[0][1].region1Start, 4u / 2);
    EXPECT_EQ(side.granules[0][1].region2Start, 8u / 2);
    EXPECT_EQ(side.granules[1][0].region1Start, 162u / 2);
    EXPECT_EQ(side.granules[1][0].region2Start, 4u / 2);

    // 32 kHz bands.
    read(0xFFFB9804u);
    EXPECT_EQ(side.granules[0][0].region1Start, 36u / 2);
    EXPECT_EQ(side.granules[0][0].region2Start, 66u / 2);
}

TEST_F(SideInformation, GranuleGainCarriesTheMidSideFactor)
{
    fields[0][0].globalGain = 210;
    fields[1][1].globalGain = 255;
    fields[1][1].windowSwitching = true;
    fields[1][1].blockType = 2;
    fields[1][1].subblockGain[2] = 3;
    read(stereo128);
    EXPECT_EQ(side.granules[0][0].granuleGain, 46);
    EXPECT_EQ(side.granules[1][1].granuleGain, 1);
    EXPECT_EQ(side.granules[1][1].windowGain[2], 25);

    read(jointStereo128);
    EXPECT_EQ(side.granules[0][0].granuleGain, 48);
    EXPECT_EQ(side.granules[1][1].granuleGain, 3);
    EXPECT_EQ(side.granules[1][1].windowGain[0], 3);
    EXPECT_EQ(side.granules[1][1].windowGain[2], 27);

    // Intensity stereo alone carries no factor.
    read(0xFFFB9054u);
    EXPECT_EQ(side.granules[0][0].granuleGain, 46);
}

} // namespace
