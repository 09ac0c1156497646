#include "IconFixtures.h"

#include <fstream>
#include <iterator>

using namespace fixtures;

namespace {

TEST(IconFile, CountsOneIconPerFile)
{
    for (const char* name : {"depth1.ico", "depth4.ico", "depth8.ico", "depth24.ico", "depth32.ico", "mixed.ico",
                             "scaled.ico", "png256.ico"})
        EXPECT_EQ(icons::countIcons(iconFile(name)), 1) << name;
}

TEST(IconFile, ReadsEveryBitDepthWithItsMask)
{
    expectPicture(bitmapIcon("depth1.ico", 0), black, black, black, white);
    expectPicture(bitmapIcon("depth4.ico", 0), red, green, blue, mark4);
    // An 8-bit image with a palette of 8 entries rather than 256.
    expectPicture(bitmapIcon("depth8.ico", 0), red, green, blue, mark8);
    expectPicture(bitmapIcon("depth24.ico", 0), red, green, blue, mark24);
}

TEST(IconFile, ThirtyTwoBitImagesKeepTheirAlpha)
{
    expectPicture(bitmapIcon("depth32.ico", 0), red, green, halfBlue, mark32);
}

TEST(IconFile, ChoosesTheStandardSizeWithTheMostColours)
{
    // The directory lists 32x32 at 4, 32 and 8 bits and a 16x16, in that order.
    expectPicture(bitmapIcon("mixed.ico", 0), red, green, halfBlue, mark32);
}

TEST(IconFile, ScalesTheNearestSizeWhenTheStandardOneIsMissing)
{
    // 16x16 and 48x48 lie equally far from 32; the larger is shrunk.
    expectPicture(bitmapIcon("scaled.ico", 0), red, green, blue, mark48px);
}

TEST(IconFile, HandsPngImagesOverUndecoded)
{
    const auto icon = icons::extractIcon(iconFile("png256.ico"), 0);
    ASSERT_TRUE(icon.has_value());
    const auto* png = std::get_if<icons::PngImage>(&*icon);
    ASSERT_NE(png, nullptr);
    EXPECT_EQ(png->width, 256);
    EXPECT_EQ(png->height, 256);
    ASSERT_GT(png->bytes.size(), 8u);
    EXPECT_EQ(png->bytes[1], 'P');
    EXPECT_EQ(png->bytes.back(), 0x82) << "ends with the IEND chunk's CRC";
}

TEST(IconFile, GivesNoIconAtOrPastTheCount)
{
    EXPECT_FALSE(icons::extractIcon(iconFile("depth4.ico"), 1));
    EXPECT_FALSE(icons::extractIcon(iconFile("depth4.ico"), -1));
}

TEST(IconFile, CountsNothingInOtherOrMissingFiles)
{
    EXPECT_EQ(icons::countIcons(iconFile("make_icons.py")), 0);
    EXPECT_EQ(icons::countIcons(iconFile("no-such-file.ico")), 0);
    EXPECT_EQ(icons::countIcons(std::filesystem::path(ICON_DATA_DIR)), 0) << "a folder";
    EXPECT_FALSE(icons::extractIcon(iconFile("no-such-file.ico"), 0));
    const icons::MemorySource empty({});
    EXPECT_EQ(icons::countIcons(empty), 0);
}

TEST(IconFile, ReadsTheSameFromMemoryAsFromTheFile)
{
    std::ifstream in(iconFile("mixed.ico"), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const icons::MemorySource memory(bytes);
    EXPECT_EQ(icons::countIcons(memory), 1);
    const auto fromMemory = icons::extractIcon(memory, 0);
    ASSERT_TRUE(fromMemory && std::holds_alternative<icons::Image>(*fromMemory));
    EXPECT_EQ(std::get<icons::Image>(*fromMemory).pixels, bitmapIcon("mixed.ico", 0).pixels);
}

} // namespace
