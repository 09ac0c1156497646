// Huffman decoding of a granule, requantisation, mid/side reconstruction and
// the decoder's derived tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "HuffmanTables.h"
#include "Requantise.h"
#include "StreamBuilder.h"

using namespace mp3;
using namespace mp3test;

namespace {

class Requantisation : public ::testing::Test {
protected:
    void SetUp() override
    {
        granule = GranuleInfo{};
        std::fill(std::begin(sf), std::end(sf), 0);
        granule.granuleGain = 46; // global gain 210: a gain of exactly 1
        for (auto& w : granule.windowGain) w = 46;
        granule.region1Start = 288;
        granule.region2Start = 288;
        granule.count1Table = 1;
        for (auto& t : granule.tableSelect) t = 1;
        std::fill(std::begin(spectrum), std::end(spectrum), 7.0f);
    }

    // Loads the coded bits followed by ones, so that a read beyond them shows.
    int run(const BitWriter& coded, int part2Bits = 0, bool midSide = false)
    {
        BitWriter w = coded;
        for (int i = 0; i < 8; ++i) w.put(0xFFFFFFFFu, 32);
        reader = loadBits(w.bytes());
        return midSide ? requantiseMidSide(*reader, spectrum, sf, granule, 0, part2Bits)
                       : requantise(*reader, spectrum, sf, granule, 0, part2Bits);
    }

    void expectZeroExcept(std::initializer_list<int> lines)
    {
        for (int n = 0; n < 576; ++n) {
            if (std::find(lines.begin(), lines.end(), n) == lines.end()) {
                ASSERT_EQ(spectrum[n], 0.0f) << "line " << n;
            }
        }
    }

    std::unique_ptr<BitReaderState> reader;
    float spectrum[1152];
    ScaleFactors sf = {};
    GranuleInfo granule;
};

TEST_F(Requantisation, AGranuleOfOnlyScaleFactorsIsSilent)
{
    granule.part23Length = 10;
    EXPECT_EQ(run(BitWriter(), 10), 0);
    EXPECT_EQ(bitsConsumed(*reader), 0);
    expectZeroExcept({});
    EXPECT_EQ(granule.maxLine, 1u);
}

TEST_F(Requantisation, GlobalGain210GivesUnitValuesAndSkipsUnusedBits)
{
    for (int extra : {0, 1, 5, 16, 17, 40}) {
        SCOPED_TRACE(extra);
        SetUp();
        BitWriter w;
        w.putCode(1, 1, 0);
        w.put(0, 1);
        w.putCode(1, 0, 1);
        w.put(1, 1);
        granule.bigValues = 2;
        granule.part23Length = static_cast<unsigned>(w.bitCount() + extra);
        EXPECT_EQ(run(w), 0);
        EXPECT_EQ(bitsConsumed(*reader), 7 + extra);
        EXPECT_EQ(spectrum[0], 1.0f);
        EXPECT_EQ(spectrum[3], -1.0f);
        expectZeroExcept({0, 3});
        EXPECT_EQ(granule.maxLine, 1u);
    }
}

TEST_F(Requantisation, ScaleFactorPreflagAndScaleSetTheLongBandGain)
{
    BitWriter w;
    for (int pair = 0; pair < 31; ++pair) w.putCode(1, 0, 0);
    w.putCode(1, 1, 0); // line 62, the first of band 11
    w.put(0, 1);
    granule.bigValues = 32;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    granule.preflag = 1;
    granule.scalefacScale = 1;
    sf[11] = 2;
    sf[10] = 5;
    EXPECT_EQ(run(w), 0);
    // 46 + ((2 + pre 1) << 2) = 58: 2^-3.
    EXPECT_EQ(spectrum[62], 0.125f);
    expectZeroExcept({62});
    EXPECT_EQ(granule.maxLine, 5u);
}

TEST_F(Requantisation, ShortWindowsAreInterleavedWithTheirOwnGains)
{
    granule.blockType = 2;
    granule.region1Start = 18;
    granule.windowGain[1] = 46 + 8;
    sf[1] = 1; // band 0, window 1
    BitWriter w;
    w.putCode(1, 0, 0);
    w.putCode(1, 0, 0);
    w.putCode(1, 1, 0); // band 0, window 1, value 0: line 1
    w.put(1, 1);
    granule.bigValues = 3;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_FLOAT_EQ(spectrum[1], -std::pow(2.0f, -2.5f));
    expectZeroExcept({1});
    EXPECT_EQ(granule.maxLine, 1u);
}

TEST_F(Requantisation, AShortBandFindsItsLineAndLimit)
{
    // Band 5, window 2: after 33 pairs of bands 0..4 and 8 of band 5's first
    // two windows. Band 5 starts at per-window line 22, i.e. at line 66.
    granule.blockType = 2;
    granule.region1Start = 18;
    granule.tableSelect[0] = 1;
    granule.tableSelect[1] = 1;
    BitWriter w;
    for (int pair = 0; pair < 41; ++pair) w.putCode(1, 0, 0);
    w.putCode(1, 1, 0);
    w.put(0, 1);
    granule.bigValues = 42;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(spectrum[68], 1.0f);
    expectZeroExcept({68});
    EXPECT_EQ(granule.maxLine, 5u);
}

TEST_F(Requantisation, EscapesAddTheirLinbits)
{
    for (unsigned table : {23u, 31u}) {
        SCOPED_TRACE(table);
        SetUp();
        granule.tableSelect[0] = table;
        BitWriter w;
        w.putCode(static_cast<int>(table), 15, 0);
        w.put(8191, 13);
        w.put(1, 1);
        granule.bigValues = 1;
        granule.part23Length = static_cast<unsigned>(w.bitCount());
        EXPECT_EQ(run(w), 0);
        EXPECT_EQ(spectrum[0], -requantiseTables().powerTable[8206]);
        expectZeroExcept({0});
    }
    SetUp();
    granule.tableSelect[0] = 16; // linbits 1
    BitWriter w;
    w.putCode(16, 15, 15);
    w.put(1, 1);
    w.put(0, 1);
    w.put(0, 1);
    w.put(1, 1);
    granule.bigValues = 1;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(spectrum[0], requantiseTables().powerTable[16]);
    EXPECT_EQ(spectrum[1], -requantiseTables().powerTable[15]);
}

TEST_F(Requantisation, BitsRunningOutInsideAQuadrupleStopThere)
{
    BitWriter w;
    w.putCode(33, 0b1100); // v and w set
    w.put(0, 1);           // v's sign; w's is past the end
    granule.part23Length = 5;
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(bitsConsumed(*reader), 5);
    EXPECT_EQ(spectrum[0], 1.0f);
    expectZeroExcept({0});

    // Ending inside the code word: no flags at all.
    SetUp();
    granule.part23Length = 2;
    BitWriter inCode;
    inCode.putCode(33, 0b1111);
    EXPECT_EQ(run(inCode), 0);
    EXPECT_EQ(bitsConsumed(*reader), 2);
    expectZeroExcept({});
    EXPECT_EQ(granule.maxLine, 1u);
}

TEST_F(Requantisation, QuadruplesFollowTheBigValues)
{
    granule.count1Table = 0;
    BitWriter w;
    w.putCode(1, 0, 1);
    w.put(0, 1);
    w.putCode(32, 0b1001); // lines 2 and 5
    w.put(1, 1);
    w.put(0, 1);
    w.putCode(32, 0b0000);
    w.putCode(32, 0b0010); // line 12
    w.put(1, 1);
    granule.bigValues = 1;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(spectrum[1], 1.0f);
    EXPECT_EQ(spectrum[2], -1.0f);
    EXPECT_EQ(spectrum[5], 1.0f);
    EXPECT_EQ(spectrum[12], -1.0f);
    expectZeroExcept({1, 2, 5, 12});
    EXPECT_EQ(granule.maxLine, 2u); // line 12 is in band 3, which ends at line 16
}

// Pairs without escapes take their sign bits straight after the code word,
// one per non-zero value; pairs with an escape read linbits before each sign.
// Both kinds alternate here, in a table with linbits and in one without.
TEST_F(Requantisation, EachNonZeroValueOfAPairHasItsOwnSignBit)
{
    for (int table : {15, 24}) {
        SCOPED_TRACE(table);
        SetUp();
        granule.tableSelect[0] = static_cast<unsigned>(table);
        const bool escapes = huffmanTables()[table].linbits > 0;
        BitWriter w;
        w.putCode(table, 0, 3);
        w.put(1, 1);
        w.putCode(table, 5, 0);
        w.put(0, 1);
        w.putCode(table, 15, 7);
        if (escapes) w.put(2, huffmanTables()[table].linbits);
        w.put(1, 1);
        w.put(0, 1);
        w.putCode(table, 2, 9);
        w.put(1, 1);
        w.put(1, 1);
        w.putCode(table, 0, 0);
        granule.bigValues = 5;
        granule.part23Length = static_cast<unsigned>(w.bitCount());
        EXPECT_EQ(run(w), 0);
        EXPECT_EQ(bitsConsumed(*reader), w.bitCount());
        EXPECT_EQ(spectrum[1], -requantiseTables().powerTable[3]);
        EXPECT_EQ(spectrum[2], requantiseTables().powerTable[5]);
        EXPECT_EQ(spectrum[4], -requantiseTables().powerTable[escapes ? 17 : 15]);
        EXPECT_EQ(spectrum[5], requantiseTables().powerTable[7]);
        EXPECT_EQ(spectrum[6], -requantiseTables().powerTable[2]);
        EXPECT_EQ(spectrum[7], -requantiseTables().powerTable[9]);
        expectZeroExcept({1, 2, 4, 5, 6, 7});
    }
}

// Short windows of band 0 hold two pairs each (lines w, w + 3, w + 6, w + 9).
// After one big-value pair every quadruple spans two windows with their own
// gains; after two, each quadruple fills a window.
TEST_F(Requantisation, QuadruplesTakeTheGainOfTheWindowEachValueFallsIn)
{
    auto setUpShort = [&] {
        SetUp();
        granule.blockType = 2;
        granule.region1Start = 18;
        granule.windowGain[1] = 46 - 4; // gain 2
        granule.windowGain[2] = 46 - 8; // gain 4
    };
    setUpShort();
    BitWriter across;
    across.putCode(1, 0, 0);    // lines 0 and 3
    across.putCode(33, 0b1111); // lines 6, 9 | 1, 4
    across.put(0b0101, 4);
    across.putCode(33, 0b1010); // lines 7, 10 | 2, 5
    across.put(0b01, 2);
    granule.bigValues = 1;
    granule.part23Length = static_cast<unsigned>(across.bitCount());
    EXPECT_EQ(run(across), 0);
    EXPECT_EQ(bitsConsumed(*reader), across.bitCount());
    EXPECT_EQ(spectrum[6], 1.0f);
    EXPECT_EQ(spectrum[9], -1.0f);
    EXPECT_EQ(spectrum[1], 2.0f);
    EXPECT_EQ(spectrum[4], -2.0f);
    EXPECT_EQ(spectrum[7], 2.0f);
    EXPECT_EQ(spectrum[2], -4.0f);
    expectZeroExcept({1, 2, 4, 6, 7, 9});

    setUpShort();
    BitWriter filling;
    filling.putCode(1, 0, 0);
    filling.putCode(1, 0, 0);    // window 0 done
    filling.putCode(33, 0b0110); // window 1: lines 4 and 7
    filling.put(0b10, 2);
    filling.putCode(33, 0b1001); // window 2: lines 2 and 11
    filling.put(0b01, 2);
    granule.bigValues = 2;
    granule.part23Length = static_cast<unsigned>(filling.bitCount());
    EXPECT_EQ(run(filling), 0);
    EXPECT_EQ(bitsConsumed(*reader), filling.bitCount());
    EXPECT_EQ(spectrum[4], -2.0f);
    EXPECT_EQ(spectrum[7], 2.0f);
    EXPECT_EQ(spectrum[2], 4.0f);
    EXPECT_EQ(spectrum[11], -4.0f);
    expectZeroExcept({2, 4, 7, 11});
    EXPECT_EQ(granule.highestBand[1], 0);
    EXPECT_EQ(granule.highestBand[2], 0);
}

TEST_F(Requantisation, OverrunningTheGranuleReturns1)
{
    BitWriter w;
    w.putCode(1, 1, 1);
    w.put(0, 2);
    granule.bigValues = 1;
    granule.part23Length = 3;
    EXPECT_EQ(run(w), 1);
}

TEST_F(Requantisation, RegionCountsPastTheBandTableLeaveRegion1Empty)
{
    // region0 count 15, region1 count 7: region 2 would start before region 1.
    granule.region1Start = 81;
    granule.region2Start = 2;
    granule.tableSelect[0] = 1;
    granule.tableSelect[1] = 15;
    granule.tableSelect[2] = 1;
    BitWriter w;
    for (int pair = 0; pair < 99; ++pair) w.putCode(1, 0, 0);
    w.putCode(1, 1, 0); // line 198
    w.put(1, 1);
    granule.bigValues = 100;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(bitsConsumed(*reader), w.bitCount());
    EXPECT_EQ(spectrum[198], -1.0f);
    expectZeroExcept({198});
}

TEST_F(Requantisation, MaxLineFollowsTheHighestNonZeroBand)
{
    BitWriter w;
    for (int pair = 0; pair < 18; ++pair) w.putCode(1, 0, 0);
    w.putCode(1, 0, 1); // line 37, band 8 (36..44)
    w.put(0, 1);
    granule.bigValues = 19;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w), 0);
    EXPECT_EQ(granule.maxLine, 3u);

    SetUp();
    granule.blockType = 2;
    granule.mixedBlock = 1;
    EXPECT_EQ(run(BitWriter()), 0);
    EXPECT_EQ(granule.maxLine, 2u);
    expectZeroExcept({});

    SetUp();
    granule.blockType = 2;
    EXPECT_EQ(run(BitWriter()), 0);
    EXPECT_EQ(granule.maxLine, 1u);
    expectZeroExcept({});
}

TEST_F(Requantisation, MidSideReconstructsBothChannels)
{
    std::fill(spectrum, spectrum + 576, 3.0f);
    std::fill(spectrum + 576, spectrum + 1152, -7.0f);
    BitWriter w;
    w.putCode(1, 1, 0);
    w.put(0, 1);
    w.putCode(33, 0b0100); // line 3
    w.put(1, 1);
    granule.bigValues = 1;
    granule.part23Length = static_cast<unsigned>(w.bitCount());
    EXPECT_EQ(run(w, 0, true), 0);
    const float* left = spectrum;
    const float* right = spectrum + 576;
    EXPECT_EQ(left[0], 4.0f);
    EXPECT_EQ(right[0], 2.0f);
    EXPECT_EQ(left[3], 2.0f);
    EXPECT_EQ(right[3], 4.0f);
    for (int n = 0; n < 576; ++n) {
        if (n == 0 || n == 3) continue;
        ASSERT_EQ(left[n], 3.0f) << n;
        ASSERT_EQ(right[n], 3.0f) << n;
    }
    EXPECT_EQ(granule.maxLine, 1u);
}

TEST_F(Requantisation, MidSideShortGranulesCopyMidIntoTheWholeRightChannel)
{
    granule.blockType = 2;
    granule.mixedBlock = 1;
    for (int n = 0; n < 576; ++n) spectrum[n] = static_cast<float>(n);
    std::fill(spectrum + 576, spectrum + 1152, -7.0f);
    EXPECT_EQ(run(BitWriter(), 0, true), 0);
    for (int n = 0; n < 576; ++n) {
        ASSERT_EQ(spectrum[n], static_cast<float>(n)) << n;
        ASSERT_EQ(spectrum[576 + n], static_cast<float>(n)) << n;
    }
}

TEST(DecoderTables, GainAndPowerValues)
{
    EXPECT_EQ(requantiseTables().gainTable[46], 1.0f);
    EXPECT_EQ(requantiseTables().gainTable[50], 0.5f);
    EXPECT_EQ(requantiseTables().gainTable[42], 2.0f);
    EXPECT_FLOAT_EQ(requantiseTables().gainTable[0], static_cast<float>(std::pow(2.0, 11.5)));
    EXPECT_FLOAT_EQ(requantiseTables().gainTable[377], static_cast<float>(std::pow(2.0, -331.0 / 4)));
    EXPECT_EQ(requantiseTables().powerTable[0], 0.0f);
    EXPECT_EQ(requantiseTables().powerTable[1], 1.0f);
    EXPECT_FLOAT_EQ(requantiseTables().powerTable[8], 16.0f);
    EXPECT_FLOAT_EQ(requantiseTables().powerTable[27], 81.0f);
    EXPECT_FLOAT_EQ(requantiseTables().powerTable[8206], static_cast<float>(std::pow(8206.0, 4.0 / 3.0)));
}

TEST(DecoderTables, LimitsAndBandRuns)
{
    for (int j = 0; j < 3; ++j) {
        SCOPED_TRACE(testing::Message() << "rate " << j);
        EXPECT_EQ(requantiseTables().longLimit[j][0], 1);
        EXPECT_EQ(requantiseTables().shortLimit[j][0], 1);
        EXPECT_EQ(requantiseTables().shortLimit[j][3], 2);
        EXPECT_EQ(requantiseTables().longLimit[j][22], 32);
        EXPECT_EQ(requantiseTables().shortLimit[j][13], 32);

        // Each list covers every line exactly once, 288 pairs in all.
        const BandMap& m = requantiseTables().bandMap[j];
        struct List {
            const BandRun* runs;
            int end;
        } lists[3] = {{m.longRuns, m.longEnd}, {m.shortRuns, m.shortEnd}, {m.mixed, m.mixedEnd}};
        for (const List& list : lists) {
            int covered[576] = {};
            int pairs = 0;
            int line = 0;
            for (int i = 0; i < list.end; ++i) {
                const BandRun& r = list.runs[i];
                int step = r.window == 3 ? 1 : 3;
                if (r.window == 3) {
                    EXPECT_EQ(r.start, line);
                }
                for (int k = 0; k < 2 * r.pairs; ++k) ++covered[r.start + step * k];
                if (r.window == 3) line += 2 * r.pairs;
                pairs += r.pairs;
            }
            EXPECT_EQ(pairs, 288);
            for (int n = 0; n < 576; ++n) ASSERT_EQ(covered[n], 1) << "line " << n;
        }
        EXPECT_EQ(m.longEnd, 22);
        EXPECT_EQ(m.shortEnd, 39);
        EXPECT_EQ(m.mixedEnd, 38);
        for (int i = 0; i < 8; ++i) EXPECT_EQ(m.mixed[i].window, 3);
        EXPECT_EQ(m.mixed[8].start, 36);
        EXPECT_EQ(m.mixed[8].band, 3);
    }
}

} // namespace
