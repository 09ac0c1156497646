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

TEST_P(PortableExecutable, ReaderGivesWhatEachCallGives)
{
    const icons::IconReader reader{iconFile(GetParam())};
    ASSERT_EQ(reader.count(), 3);
    for (int index = 0; index < 3; ++index) {
        const auto icon = reader.icon(index);
        ASSERT_TRUE(icon && std::holds_alternative<icons::Image>(*icon));
        EXPECT_EQ(std::get<icons::Image>(*icon).pixels, bitmapIcon(GetParam(), index).pixels) << index;
    }
    EXPECT_FALSE(reader.icon(3));
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
