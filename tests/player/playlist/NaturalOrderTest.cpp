#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "NaturalOrder.h"

namespace {

using Names = std::vector<std::string>;

Names sorted(Names names)
{
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    return names;
}

} // namespace

TEST(NaturalOrder, NumbersSortByTheirValue)
{
    EXPECT_EQ(sorted({"10 x.mp3", "2 x.mp3", "1 x.mp3", "100 x.mp3", "9 x.mp3"}),
              (Names{"1 x.mp3", "2 x.mp3", "9 x.mp3", "10 x.mp3", "100 x.mp3"}));
    EXPECT_EQ(sorted({"Track 12", "Track 3", "Track 03b", "Track 1"}),
              (Names{"Track 1", "Track 3", "Track 03b", "Track 12"}));
}

TEST(NaturalOrder, LettersSortWithoutRegardToCaseAndTiesByTheirBytes)
{
    EXPECT_EQ(sorted({"beta", "Alpha", "alpha", "Gamma"}), (Names{"Alpha", "alpha", "beta", "Gamma"}));
    // Leading zeros give the same value; the order still tells them apart.
    EXPECT_TRUE(naturalLess("007", "7"));
    EXPECT_FALSE(naturalLess("7", "007"));
    EXPECT_FALSE(naturalLess("same", "same"));
}

TEST(NaturalOrder, RunsLongerThanAnyIntegerCompareWithoutOverflow)
{
    const std::string huge(400, '9');
    EXPECT_TRUE(naturalLess("a" + huge, "a1" + huge));
    EXPECT_TRUE(naturalLess("a9", "a" + huge));
    EXPECT_TRUE(naturalLess("0000", "1"));
    EXPECT_TRUE(naturalLess("", "0"));
}
