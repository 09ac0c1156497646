#include "IconFixtures.h"

using namespace fixtures;

namespace {

class PortableExecutable : public testing::TestWithParam<const char*> {};

TEST_P(PortableExecutable, CountsItsIconGroups)
{
    EXPECT_EQ(icons::countIcons(iconFile(GetParam())), 3);
}

TEST_P(PortableExecutable, ReadsTheGroupsInDirectoryOrder)
{
    // The named group comes first, then groups 1 and 2.
    expectPicture(bitmapIcon(GetParam(), 0), red, green, halfBlue, mark32);
    expectPicture(bitmapIcon(GetParam(), 1), black, black, black, white);
    expectPicture(bitmapIcon(GetParam(), 2), red, green, blue, mark48px);
    EXPECT_FALSE(icons::extractIcon(iconFile(GetParam()), 3));
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, PortableExecutable,
    testing::Values("icons32.exe", "icons32.dll", "icons64.exe", "icons64.dll"));

TEST(NeIconLibrary, CountsAndReadsItsGroups)
{
    EXPECT_EQ(icons::countIcons(iconFile("icons.icl")), 3);
    expectPicture(bitmapIcon("icons.icl", 0), red, green, blue, mark4);
    expectPicture(bitmapIcon("icons.icl", 1), red, green, blue, mark8);
    EXPECT_FALSE(icons::extractIcon(iconFile("icons.icl"), 3));
}

TEST(NeIconLibrary, ScalesUpAGroupWithOnlySmallImages)
{
    const icons::Image image = bitmapIcon("icons.icl", 2);
    expectPicture(image, red, green, blue, mark16px);
    // Growing interpolates: where the transparent block meets red, alpha lies in between.
    const std::uint32_t edge = image.pixel(8, 3);
    EXPECT_GT(edge >> 24, 0u);
    EXPECT_LT(edge >> 24, 255u);
    EXPECT_EQ(edge & 0x00FFFFFF, 0xFF0000u) << "edge colour is not darkened by the transparent pixels";
}

} // namespace
