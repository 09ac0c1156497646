// The images of an icon as the file stores them, the icon file made of them,
// and the choice of an image by size for pictures larger than an icon.
#include "IconFixtures.h"

using namespace fixtures;

namespace {

TEST(StoredImages, ListTheGroupsImagesInItsOrderWithWhatTheirHeadersSay)
{
    const icons::IconReader reader(iconFile("icons.icl"));
    const auto images = reader.imageList(1); // NE group 2: 16 and 32 at 8 bits
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 16);
    EXPECT_EQ(images[1].width, 32);
    EXPECT_EQ(images[1].bitCount, 8);
    EXPECT_TRUE(images[0].bytes.empty()) << "the list reads headers only";
    const auto png = icons::IconReader(iconFile("png256.ico")).imageList(0);
    ASSERT_EQ(png.size(), 1u);
    EXPECT_TRUE(png[0].png);
    EXPECT_EQ(png[0].width, 256);
    EXPECT_EQ(png[0].entryWidth, 0) << "a side of 256 is stored as 0";
    EXPECT_TRUE(icons::IconReader(iconFile("icons.icl")).imageList(3).empty()) << "past the last icon";
}

TEST(StoredImages, AnIconFileOfThemReadsBackAsTheSameIcon)
{
    const icons::IconReader reader(iconFile("icons64.exe"));
    const auto stored = reader.storedImages(0);
    ASSERT_EQ(stored.size(), 4u);
    const auto file = icons::iconFileBytes(stored);
    const icons::IconReader copy(file);
    ASSERT_EQ(copy.count(), 1);
    const auto again = copy.storedImages(0);
    ASSERT_EQ(again.size(), stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) EXPECT_EQ(again[i].bytes, stored[i].bytes) << "image " << i;
    expectPicture(std::get<icons::Image>(*copy.icon(0)), red, green, halfBlue, mark32);
}

TEST(StoredImages, ImagesOfAbsurdSizesOrPlacesAreLeftOut)
{
    // One image of absurd.ico lies past the end, one claims 100000 pixels, one 0xFFFFFFFF bytes
    // (clipped to the file), of 65535 declared: only entries that fit, each clipped to the file.
    const auto stored = icons::IconReader(iconFile("absurd.ico")).storedImages(0);
    EXPECT_FALSE(stored.empty());
    EXPECT_LE(stored.size(), 256u) << "no more than a group can list";
    for (const auto& image : stored) EXPECT_LE(image.bytes.size(), std::filesystem::file_size(iconFile("absurd.ico")));
    EXPECT_TRUE(icons::IconReader(iconFile("truncated.exe")).storedImages(0).empty()) << "the image data is gone";
    EXPECT_TRUE(icons::IconReader(iconFile("loop.dll")).storedImages(0).empty());
}

TEST(ImageChoice, SmallestAtLeastTheSizeElseTheLargest)
{
    const icons::IconReader scaled(iconFile("scaled.ico")); // 16 and 48
    const auto side = [&](icons::ImageChoice choice) { return std::get<icons::Image>(*scaled.image(0, choice)).width; };
    using Rule = icons::ImageChoice::Rule;
    EXPECT_EQ(side({Rule::SmallestAtLeast, 16}), 16);
    EXPECT_EQ(side({Rule::SmallestAtLeast, 17}), 48);
    EXPECT_EQ(side({Rule::SmallestAtLeast, 128}), 48) << "none large enough: the largest";
    EXPECT_EQ(side({Rule::Largest, 0}), 48);
    EXPECT_EQ(side({Rule::Nearest, 20}), 16);
    // Equal sizes: the most colours (mixed.ico holds 32 x 32 at 4, 32 and 8 bits).
    const auto deepest = icons::IconReader(iconFile("mixed.ico")).image(0, {Rule::SmallestAtLeast, 32});
    expectPicture(std::get<icons::Image>(*deepest), red, green, halfBlue, mark32);
}

TEST(ImageChoice, ShrinkToFitKeepsTheShapeAndNeverGrows)
{
    const icons::Image wide{40, 10, std::vector<std::uint32_t>(400, red)};
    const icons::Image fitted = icons::shrinkToFit(wide, 20);
    EXPECT_EQ(fitted.width, 20);
    EXPECT_EQ(fitted.height, 5);
    EXPECT_EQ(fitted.pixel(10, 2), red);
    EXPECT_EQ(icons::shrinkToFit(wide, 64).width, 40) << "a smaller image stays as it is";
    const icons::Image line{300, 1, std::vector<std::uint32_t>(300, red)};
    EXPECT_EQ(icons::shrinkToFit(line, 16).height, 1) << "at least one pixel";
}

} // namespace
