// Scale-factor layouts and bit counts for every block type.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "ScaleFactors.h"
#include "StreamBuilder.h"

using namespace mp3;
using namespace mp3test;

namespace {

class ScaleFactorReading : public ::testing::Test {
protected:
    // Writes values[i] with widths[i] bits, loads them and decodes.
    int decode(const std::vector<unsigned>& values, const std::vector<int>& widths)
    {
        BitWriter out;
        for (std::size_t i = 0; i < values.size(); ++i) out.put(values[i], widths[i]);
        out.put(0x5A5A5A, 24); // what follows must stay unread
        reader = loadBits(out.bytes());
        return decodeScaleFactors(*reader, sf, granule);
    }

    // Distinct values that fit their widths.
    static std::vector<unsigned> valuesFor(const std::vector<int>& widths)
    {
        std::vector<unsigned> v;
        for (std::size_t i = 0; i < widths.size(); ++i)
            v.push_back(widths[i] == 0 ? 0 : static_cast<unsigned>((i * 5 + 1) % (1u << widths[i])));
        return v;
    }

    std::unique_ptr<BitReaderState> reader;
    ScaleFactors sf;
    GranuleInfo granule;
};

TEST_F(ScaleFactorReading, Compress0ReadsNothing)
{
    std::fill(std::begin(sf), std::end(sf), 99);
    granule.scalefacCompress = 0;
    EXPECT_EQ(decode({}, {}), 0);
    EXPECT_EQ(bitsConsumed(*reader), 0);
    for (int b = 0; b < 22; ++b) EXPECT_EQ(sf[b], 0) << b;
}

TEST_F(ScaleFactorReading, LongBlocksOfGranule0ReadElevenAndTenValues)
{
    // compress 15: slen1 4, slen2 3. Start and stop windows use the same layout.
    for (unsigned blockType : {0u, 1u, 3u}) {
        SCOPED_TRACE(blockType);
        std::fill(std::begin(sf), std::end(sf), 99);
        granule.blockType = blockType;
        granule.scalefacCompress = 15;
        granule.scfsi = -1;
        std::vector<int> widths(11, 4);
        widths.insert(widths.end(), 10, 3);
        std::vector<unsigned> values = valuesFor(widths);
        EXPECT_EQ(decode(values, widths), 74);
        EXPECT_EQ(bitsConsumed(*reader), 74);
        for (int b = 0; b < 21; ++b) EXPECT_EQ(sf[b], static_cast<int>(values[b])) << b;
        EXPECT_EQ(sf[21], 0);
    }
}

TEST_F(ScaleFactorReading, AllGroupsSharedReadsNothingAndKeepsGranule0)
{
    for (int b = 0; b < 22; ++b) sf[b] = b % 7 + 1;
    granule.scfsi = 15;
    granule.scalefacCompress = 15;
    EXPECT_EQ(decode({}, {}), 0);
    EXPECT_EQ(bitsConsumed(*reader), 0);
    for (int b = 0; b < 21; ++b) EXPECT_EQ(sf[b], b % 7 + 1) << b;
    EXPECT_EQ(sf[21], 0);
}

TEST_F(ScaleFactorReading, SharingTheFirstGroupReadsBands6To20)
{
    for (int b = 0; b < 22; ++b) sf[b] = 9;
    granule.scfsi = 8;
    granule.scalefacCompress = 12; // slen1 3, slen2 2
    std::vector<int> widths(5, 3);
    widths.insert(widths.end(), 10, 2);
    std::vector<unsigned> values = valuesFor(widths);
    EXPECT_EQ(decode(values, widths), 5 * 3 + 10 * 2);
    for (int b = 0; b < 6; ++b) EXPECT_EQ(sf[b], 9) << b;
    for (int b = 6; b < 21; ++b) EXPECT_EQ(sf[b], static_cast<int>(values[b - 6])) << b;
}

TEST_F(ScaleFactorReading, SharingTheLastGroupsReadsOnlyTheFirst)
{
    for (int b = 0; b < 22; ++b) sf[b] = 9;
    granule.scfsi = 3;
    granule.scalefacCompress = 10; // slen1 2, slen2 3
    std::vector<int> widths(11, 2);
    std::vector<unsigned> values = valuesFor(widths);
    EXPECT_EQ(decode(values, widths), 22);
    for (int b = 0; b < 11; ++b) EXPECT_EQ(sf[b], static_cast<int>(values[b])) << b;
    for (int b = 11; b < 21; ++b) EXPECT_EQ(sf[b], 9) << b;
}

TEST_F(ScaleFactorReading, MixedBlocksReadSeventeenAndEighteenValues)
{
    std::fill(std::begin(sf), std::end(sf), 99);
    granule.blockType = 2;
    granule.mixedBlock = 1;
    granule.scalefacCompress = 11; // slen1 3, slen2 1
    granule.scfsi = 15;            // ignored for short blocks
    std::vector<int> widths(17, 3);
    widths.insert(widths.end(), 18, 1);
    std::vector<unsigned> values = valuesFor(widths);
    EXPECT_EQ(decode(values, widths), 69);
    EXPECT_EQ(bitsConsumed(*reader), 69);
    for (int i = 0; i < 35; ++i) EXPECT_EQ(sf[i], static_cast<int>(values[i])) << i;
    EXPECT_EQ(sf[35], 0);
    EXPECT_EQ(sf[36], 0);
    EXPECT_EQ(sf[37], 0);
}

TEST_F(ScaleFactorReading, ShortBlocksReadEighteenAndEighteenValues)
{
    std::fill(std::begin(sf), std::end(sf), 99);
    granule.blockType = 2;
    granule.scalefacCompress = 4; // slen1 3, slen2 0
    std::vector<int> widths(18, 3);
    std::vector<unsigned> values = valuesFor(widths);
    EXPECT_EQ(decode(values, widths), 54);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(sf[i], static_cast<int>(values[i])) << i;
    for (int i = 18; i < 39; ++i) EXPECT_EQ(sf[i], 0) << i;
}

} // namespace
