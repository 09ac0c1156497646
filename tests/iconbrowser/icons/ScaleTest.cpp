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

TEST(ScaleSmooth, WholeFactorsGiveWhatTheTwoPassAverageGave)
{
    // Mixed alpha in every block: the values the two float passes gave before whole
    // factors took their own integer path (halves up, under half an alpha transparent).
    icons::Image source{4, 4, {}};
    const std::uint32_t colours[] = {0x00000000, 0xFFFF0000, 0x800000FF, 0xFF00FF00,
                                     0x40FFFFFF, 0xFF123456, 0x01ABCDEF};
    for (int i = 0; i < 16; ++i) source.pixels.push_back(colours[(i * 5) % 7]);
    EXPECT_EQ(icons::scaleSmooth(source, 2, 2).pixels,
              (std::vector<std::uint32_t>{0x50425D78, 0xA0666633, 0xB01E8765, 0x80891A2B}));
    EXPECT_EQ(icons::scaleSmooth(source, 1, 1).pixel(0, 0), 0x88515D4Cu);
    const icons::Image faint{4, 1, {0x01FFFFFF, 0x00000000, 0x00000000, 0x00000000}};
    EXPECT_EQ(icons::scaleSmooth(faint, 1, 1).pixel(0, 0), 0u) << "an alpha under one half";
}

} // namespace
