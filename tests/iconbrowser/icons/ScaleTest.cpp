#include "Scale.h"

#include <gtest/gtest.h>

namespace {

TEST(ScaleSmooth, ShrinkingAveragesTheCoveredArea)
{
    const icons::Image source{2, 2, {0xFFFF0000, 0xFF0000FF, 0xFFFF0000, 0xFF0000FF}};
    const auto target = icons::scaleSmooth(source, 1, 1);
    ASSERT_EQ(target.pixels.size(), 1u);
    EXPECT_EQ(target.pixel(0, 0), 0xFF800080u);
}

TEST(ScaleSmooth, TransparentPixelsDoNotDarkenTheColour)
{
    const icons::Image source{2, 1, {0x00000000, 0xFFFF0000}};
    const auto target = icons::scaleSmooth(source, 1, 1);
    EXPECT_EQ(target.pixel(0, 0), 0x80FF0000u);
}

TEST(ScaleSmooth, GrowingKeepsFlatAreasAndBlendsEdges)
{
    const icons::Image source{2, 1, {0xFF000000, 0xFFFFFFFF}};
    const auto target = icons::scaleSmooth(source, 4, 1);
    EXPECT_EQ(target.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(target.pixel(3, 0), 0xFFFFFFFFu);
    EXPECT_EQ(target.pixel(1, 0), 0xFF404040u);
    EXPECT_EQ(target.pixel(2, 0), 0xFFBFBFBFu);
}

TEST(ScaleSmooth, ShrinksByAFractionWithoutLosingEdges)
{
    // Three columns into two: the middle column is shared half and half.
    const icons::Image source{3, 1, {0xFF000000, 0xFFFFFFFF, 0xFF000000}};
    const auto target = icons::scaleSmooth(source, 2, 1);
    EXPECT_EQ(target.pixel(0, 0), 0xFF555555u);
    EXPECT_EQ(target.pixel(1, 0), 0xFF555555u);
}

} // namespace
