// Rectangles and colours of a skin, read as "%d, %d, %d, %d" reads them.
#include <gtest/gtest.h>

#include "SkinFiles.h"

namespace {

SkinRect parsed(const char* text, int expectedCount, SkinRect start = {-1, -1, -1, -1})
{
    EXPECT_EQ(parseSkinRect(text, start), expectedCount) << text;
    return start;
}

} // namespace

TEST(SkinRectText, BlanksAfterCommasAndSignsAreAllowed)
{
    EXPECT_EQ(parsed("10, 20, 30, 40", 4), (SkinRect{10, 20, 30, 40}));
    EXPECT_EQ(parsed("10,20,30,40", 4), (SkinRect{10, 20, 30, 40}));
    EXPECT_EQ(parsed("  -5,\t+6,  0, 7 trailing", 4), (SkinRect{-5, 6, 0, 7}));
}

TEST(SkinRectText, ReadingStopsAtTheFirstMisfitAndKeepsTheRest)
{
    // The comma must follow its number directly.
    EXPECT_EQ(parsed("10 , 20, 30, 40", 1), (SkinRect{10, -1, -1, -1}));
    EXPECT_EQ(parsed("1, 2, x, 4", 2), (SkinRect{1, 2, -1, -1}));
    EXPECT_EQ(parsed("1, 2, 3", 3), (SkinRect{1, 2, 3, -1}));
    EXPECT_EQ(parsed("", 0), (SkinRect{-1, -1, -1, -1}));
    EXPECT_EQ(parsed("-, 1", 0), (SkinRect{-1, -1, -1, -1}));
    EXPECT_EQ(parsed("1,, 2", 1), (SkinRect{1, -1, -1, -1}));
}

TEST(SkinRectText, NumbersBeyondTheRangeStopAtItsEnds)
{
    EXPECT_EQ(parsed("99999999999, -99999999999, 2147483647, -2147483648", 4),
              (SkinRect{2147483647, -2147483647 - 1, 2147483647, -2147483647 - 1}));
}

TEST(SkinColourText, EachNumberIsTakenModulo256)
{
    SkinColourValue colour;
    ASSERT_EQ(parseSkinColour("255, 128, 0", colour), 3);
    EXPECT_EQ(packedColour(colour), 0x0080ffu);
    ASSERT_EQ(parseSkinColour("300, 0, 0", colour), 3);
    EXPECT_EQ(packedColour(colour) & 0xff, 44u);
    ASSERT_EQ(parseSkinColour("-1,256,511", colour), 3);
    EXPECT_EQ(packedColour(colour), 0xff00ffu);
    EXPECT_EQ(parseSkinColour("1, 2", colour), 2);
}

TEST(SkinRectFit, EdgesMustLieOnTheFaceWhateverTheNumbers)
{
    constexpr std::int32_t most = 2147483647;
    constexpr std::int32_t least = -2147483647 - 1;
    EXPECT_TRUE(fitsFace({0, 0, 120, 90}, 120, 90));
    EXPECT_TRUE(fitsFace({120, 90, 0, 0}, 120, 90));
    EXPECT_TRUE(fitsFace({10, 10, -10, -10}, 120, 90));
    EXPECT_FALSE(fitsFace({10, 10, -11, 0}, 120, 90));
    EXPECT_FALSE(fitsFace({1, 0, 120, 90}, 120, 90));
    EXPECT_FALSE(fitsFace({0, 1, 120, 90}, 120, 90));
    EXPECT_FALSE(fitsFace({-1, 0, 1, 1}, 120, 90));
    for (const SkinRect& rect :
         {SkinRect{most, 0, 1, 1}, SkinRect{1, 0, most, 1}, SkinRect{most, most, most, most}, SkinRect{least, 0, 1, 1},
          SkinRect{0, least, 1, least}, SkinRect{1, 1, least, least}, SkinRect{least, least, most, most}})
        EXPECT_FALSE(fitsFace(rect, most, most))
            << rect.x << ", " << rect.y << ", " << rect.width << ", " << rect.height;
    EXPECT_TRUE(fitsFace({0, 0, most, most}, most, most));
}
