#include "IconFixtures.h"

#include <fstream>
#include <iterator>

using namespace fixtures;

namespace {

TEST(DamagedIconFile, FallsBackToTheImagesThatAreWhole)
{
    // The 32x32 image is cut off; the 16x16 one before it is whole and is scaled up.
    EXPECT_EQ(icons::countIcons(iconFile("truncated.ico")), 1);
    expectPicture(bitmapIcon("truncated.ico", 0), red, green, halfBlue, mark16px);
}

TEST(DamagedIconFile, CountsNothingWithoutADirectory)
{
    EXPECT_EQ(icons::countIcons(iconFile("header-only.ico")), 0);
    EXPECT_FALSE(icons::extractIcon(iconFile("header-only.ico"), 0));
}

TEST(DamagedIconFile, SkipsImagesWithAbsurdOffsetsAndSizes)
{
    // 65535 images declared; one lies past the end, one claims a width of 100000.
    EXPECT_EQ(icons::countIcons(iconFile("absurd.ico")), 1);
    expectPicture(bitmapIcon("absurd.ico", 0), red, green, blue, mark16px);
}

TEST(DamagedExecutable, DoesNotFollowADirectoryBackIntoItsAncestors)
{
    // The first group points at the root and is dropped; the second's language
    // entry points at its own directory and yields nothing.
    EXPECT_EQ(icons::countIcons(iconFile("loop.dll")), 2);
    EXPECT_FALSE(icons::extractIcon(iconFile("loop.dll"), 0));
    expectPicture(bitmapIcon("loop.dll", 1), red, green, blue, mark48px);
}

TEST(DamagedExecutable, SkipsAnImageAtAnAddressNoSectionHolds)
{
    EXPECT_EQ(icons::countIcons(iconFile("absurd.exe")), 3);
    // The 32-bit image is unreachable, so the 8-bit one of the same size stands in.
    expectPicture(bitmapIcon("absurd.exe", 0), red, green, blue, mark8);
    expectPicture(bitmapIcon("absurd.exe", 2), red, green, blue, mark48px);
}

TEST(DamagedExecutable, CountsTheGroupsOfACutFileButDrawsNoneOfTheMissingImages)
{
    EXPECT_EQ(icons::countIcons(iconFile("truncated.exe")), 3);
    for (int index = 0; index < 3; ++index) EXPECT_FALSE(icons::extractIcon(iconFile("truncated.exe"), index));
}

TEST(DamagedIconLibrary, CountsTheEntriesBeforeTheCut)
{
    EXPECT_EQ(icons::countIcons(iconFile("truncated.icl")), 2);
    EXPECT_FALSE(icons::extractIcon(iconFile("truncated.icl"), 0));
}

TEST(DamagedIconLibrary, RejectsAnAlignmentPastTheFormatsRange)
{
    EXPECT_EQ(icons::countIcons(iconFile("bad-shift.icl")), 0);
}

// Every prefix of a good executable must be read without fault (the sanitizer
// builds check the reads), and no prefix may claim more groups than the whole.
TEST(DamagedExecutable, EveryPrefixIsReadSafely)
{
    std::ifstream in(iconFile("icons32.dll"), std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_FALSE(bytes.empty());
    int complete = 0;
    for (std::size_t length = 0; length <= bytes.size(); length += 61) {
        const icons::MemorySource prefix(std::span<const std::uint8_t>(bytes).first(length));
        const int count = icons::countIcons(prefix);
        EXPECT_LE(count, 3);
        for (int index = 0; index < count; ++index) complete += icons::extractIcon(prefix, index).has_value();
    }
    EXPECT_GT(complete, 0);
}

} // namespace
