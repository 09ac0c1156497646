// PNG images inside icons: the checks of their streams, and how a PNG that
// does not decode gives way to the next best image of its icon.
#include "IconBytes.h"
#include "Icons.h"
#include "Limits.h"
#include "PngStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace iconbytes;

namespace {

// Image data that a test decoder never inflates: only its chunk matters here.
const Bytes opaqueData{0x78, 0x9C, 0x01, 0x02, 0x03};

std::optional<icons::PngImage> read(const Bytes& stream)
{
    return icons::readPngStream(stream);
}

bool holds(const Bytes& bytes, std::string_view type)
{
    return std::search(bytes.begin(), bytes.end(), type.begin(), type.end()) != bytes.end();
}

TEST(PngStream, AcceptsEveryDepthAndColourTypeTheStandardDefinesAndNoOther)
{
    struct Case {
        std::uint8_t colourType;
        std::vector<std::uint8_t> depths;
    };
    const std::vector<Case> defined{{0, {1, 2, 4, 8, 16}}, {2, {8, 16}}, {3, {1, 2, 4, 8}}, {4, {8, 16}}, {6, {8, 16}}};
    for (std::uint8_t colourType = 0; colourType <= 7; ++colourType)
        for (std::uint8_t depth : {1, 2, 3, 4, 8, 16, 32}) {
            const auto c =
                std::find_if(defined.begin(), defined.end(), [&](const Case& d) { return d.colourType == colourType; });
            const bool valid = c != defined.end() && std::count(c->depths.begin(), c->depths.end(), depth) == 1;
            EXPECT_EQ(read(png(header(16, 16, depth, colourType), opaqueData)).has_value(), valid)
                << "colour type " << int(colourType) << ", depth " << int(depth);
        }
}

TEST(PngStream, RefusesHeadersOutsideTheIconLimitsOrTheStandard)
{
    EXPECT_TRUE(read(png(header(256, 256), opaqueData)));
    EXPECT_TRUE(read(png(header(1, 1), opaqueData)));
    for (auto [width, height] : {std::pair{0u, 16u}, {16u, 0u}, {257u, 16u}, {16u, 257u}, {0x80000000u, 1u}})
        EXPECT_FALSE(read(png(header(width, height), opaqueData))) << width << " x " << height;
    Bytes methods = header(16, 16);
    methods[10] = 1; // compression method
    EXPECT_FALSE(read(png(methods, opaqueData))) << "compression method 1";
    methods = header(16, 16);
    methods[11] = 1;
    EXPECT_FALSE(read(png(methods, opaqueData))) << "filter method 1";
    EXPECT_FALSE(read(png(header(16, 16, 8, 6, 2), opaqueData))) << "interlace method 2";
    Bytes shortHeader = header(16, 16);
    shortHeader.pop_back();
    EXPECT_FALSE(read(png(shortHeader, opaqueData))) << "IHDR of 12 bytes";
    EXPECT_FALSE(read(png(header(16, 16), opaqueData, {chunk("IHDR", header(8, 8))}))) << "a second IHDR";
}

TEST(PngStream, DeclaresExactlyTheRowsOfItsHeader)
{
    EXPECT_EQ(read(png(header(32, 32), opaqueData))->inflatedSize, 32u * (1 + 32 * 4));
    // Rows of 1-bit pixels are packed into whole bytes, each after its filter byte.
    EXPECT_EQ(read(png(header(9, 2, 1, 0), opaqueData))->inflatedSize, 2u * (1 + 2));
    EXPECT_EQ(read(png(header(3, 3, 8, 0), opaqueData))->inflatedSize, 3u * (1 + 3));
    // Adam7 on 3 x 3: passes 1, 4, 5, 6 and 7 hold 1 x 1, 1 x 1, 2 x 1, 1 x 2 and 3 x 1 pixels.
    EXPECT_EQ(read(png(header(3, 3, 8, 0, 1), opaqueData))->inflatedSize, 2u + 2 + 3 + 2 * 2 + 4);
    EXPECT_EQ(read(png(header(1, 1, 16, 6, 1), opaqueData))->inflatedSize, 1u + 8);
}

TEST(PngStream, KeepsOnlyTheChunksThePixelsNeed)
{
    const Bytes palette{0, 0, 0, 255, 0, 0};
    const auto image =
        read(png(header(4, 4, 8, 3), opaqueData,
                 {chunk("tEXt", {'a', 0, 'b'}), chunk("zTXt", {'a', 0, 0, 0x78, 0x9C}), chunk("iCCP", {'p', 0, 0}),
                  chunk("PLTE", palette), chunk("tRNS", {0}), chunk("prVt", {1, 2, 3})}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 4);
    EXPECT_EQ(image->height, 4);
    for (const char* kept : {"IHDR", "PLTE", "tRNS", "IDAT", "IEND"}) EXPECT_TRUE(holds(image->bytes, kept)) << kept;
    for (const char* dropped : {"tEXt", "zTXt", "iCCP", "prVt"}) EXPECT_FALSE(holds(image->bytes, dropped)) << dropped;
    ASSERT_EQ(image->compressedData.size(), 1u);
    const icons::ByteRange data = image->compressedData[0];
    ASSERT_LE(data.offset + data.length, image->bytes.size());
    EXPECT_EQ(Bytes(image->bytes.begin() + data.offset, image->bytes.begin() + data.offset + data.length), opaqueData);
}

TEST(PngStream, RefusesStreamsCutShortOrHoldingUnknownCriticalChunks)
{
    const Bytes whole = png(header(8, 8), opaqueData);
    for (std::size_t cut : {std::size_t{8}, std::size_t{20}, whole.size() - 12, whole.size() - 1})
        EXPECT_FALSE(read(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)))) << "cut at " << cut;
    Bytes noImage{whole.begin(), whole.begin() + 8};
    for (const Bytes& c : {chunk("IHDR", header(8, 8)), chunk("IEND", {})})
        noImage.insert(noImage.end(), c.begin(), c.end());
    EXPECT_FALSE(read(noImage)) << "no IDAT";
    EXPECT_FALSE(read(png(header(8, 8), opaqueData, {chunk("QQQQ", {1})}))) << "an unknown critical chunk";
    Bytes huge = whole;
    huge[8] = 0xFF; // IHDR's length
    EXPECT_FALSE(read(huge));
}

TEST(PngStream, RefusesStreamsOfThousandsOfTinyChunks)
{
    // A real encoder's chunks are kilobytes long; empty ones only cost time.
    const auto withEmptyChunks = [](int count) {
        return png(header(8, 8), opaqueData, std::vector<Bytes>(static_cast<std::size_t>(count), chunk("IDAT", {})));
    };
    EXPECT_TRUE(read(withEmptyChunks(100)));
    EXPECT_TRUE(read(withEmptyChunks(icons::maxPngChunks - 3))) << "IHDR, IDAT and IEND count too";
    EXPECT_FALSE(read(withEmptyChunks(icons::maxPngChunks - 2)));
    EXPECT_FALSE(read(withEmptyChunks(150000)));
}

// An icon file listing a PNG image and, after it, a sound red bitmap of the same size.
Bytes pngThenBitmap(const Bytes& pngStream, int side = 32)
{
    return ico({{side, 32, pngStream}, {32, 32, dib32(32, 0xFFFF0000)}});
}

struct CountingDecoder {
    std::optional<icons::Image> result;
    int calls = 0;
    icons::PngDecodeFunction decoder()
    {
        return [this](const icons::PngImage&) {
            ++calls;
            return result;
        };
    }
};

TEST(PngIcons, APngThatDoesNotDecodeGivesWayToTheNextBestImage)
{
    const Bytes file = pngThenBitmap(png(header(32, 32), opaqueData));
    const icons::MemorySource source(file);
    CountingDecoder failing;
    const auto icon = icons::extractIcon(source, 0, failing.decoder());
    EXPECT_EQ(failing.calls, 1);
    ASSERT_TRUE(icon && std::holds_alternative<icons::Image>(*icon));
    const auto& bitmap = std::get<icons::Image>(*icon);
    ASSERT_EQ(bitmap.pixels.size(), 32u * 32u);
    EXPECT_EQ(bitmap.pixel(16, 16), 0xFFFF0000u) << "the bitmap after the PNG";

    // The same through a reader, as the browser reads a page.
    const icons::IconReader reader(file);
    EXPECT_EQ(std::get<icons::Image>(*reader.icon(0, failing.decoder())).pixels, bitmap.pixels);
}

TEST(PngIcons, ADecodedPngComesBackAtTheStandardSize)
{
    const Bytes file = pngThenBitmap(png(header(32, 32), opaqueData));
    const icons::MemorySource source(file);
    CountingDecoder decoding;
    decoding.result = icons::Image{16, 16, std::vector<std::uint32_t>(16 * 16, 0xFF00FF00u)};
    const auto icon = icons::extractIcon(source, 0, decoding.decoder());
    EXPECT_EQ(decoding.calls, 1);
    ASSERT_TRUE(icon && std::holds_alternative<icons::Image>(*icon));
    const auto& image = std::get<icons::Image>(*icon);
    EXPECT_EQ(image.width, icons::standardIconSize);
    EXPECT_EQ(image.height, icons::standardIconSize);
    EXPECT_EQ(image.pixel(16, 16), 0xFF00FF00u) << "the PNG, ranked before the bitmap";
}

// An icon file whose `count` entries all name the same image.
Bytes entriesNamingOneImage(int count, const Bytes& image)
{
    Bytes out;
    appendLe(out, 0, 2);
    appendLe(out, 1, 2);
    appendLe(out, static_cast<std::uint32_t>(count), 2);
    for (int n = 0; n < count; ++n) {
        out.insert(out.end(), {0, 0, 0, 0});
        appendLe(out, 1, 2);
        appendLe(out, 32, 2);
        appendLe(out, static_cast<std::uint32_t>(image.size()), 4);
        appendLe(out, static_cast<std::uint32_t>(6 + 16 * count), 4);
    }
    out.insert(out.end(), image.begin(), image.end());
    return out;
}

TEST(PngIcons, AnImageThatFailsIsTriedOnceHoweverManyEntriesNameIt)
{
    const Bytes file = entriesNamingOneImage(60000, png(header(256, 256), opaqueData));
    CountingDecoder failing;
    EXPECT_FALSE(icons::extractIcon(icons::MemorySource(file), 0, failing.decoder()));
    EXPECT_EQ(failing.calls, 1);
    const icons::IconReader reader(file);
    for (auto rule : {icons::ImageChoice::Rule::Nearest, icons::ImageChoice::Rule::Largest})
        EXPECT_FALSE(reader.image(0, {rule, 48}, failing.decoder()));
    EXPECT_EQ(failing.calls, 3);
}

TEST(PngIcons, ImagesThatFailStopBeingTriedPastTheFilesBound)
{
    // Distinct images, each padded to 64 KB with a text chunk, none of which decodes.
    constexpr int images = 160;
    constexpr std::size_t padding = 64 << 10;
    std::vector<Entry> entries;
    for (int n = 0; n < images; ++n)
        entries.push_back({256, 32, png(header(256, 256), opaqueData, {chunk("tEXt", Bytes(padding, 'a' + n % 26))})});
    const Bytes file = ico(entries);
    const icons::IconReader reader(file);
    CountingDecoder failing;
    EXPECT_FALSE(reader.icon(0, failing.decoder()));
    const int bound = static_cast<int>(icons::maxFailedImageBytes / padding);
    EXPECT_GT(failing.calls, bound / 2);
    EXPECT_LE(failing.calls, bound + 1);
    const int spent = failing.calls;
    EXPECT_FALSE(reader.icon(0, failing.decoder()));
    EXPECT_EQ(failing.calls, spent) << "the bound is the file's, not each call's";
}

TEST(PngIcons, AHeaderOutOfBoundsIsNeverHandedToTheDecoder)
{
    // The directory says 256 x 256; the stream's own header says 4096 x 4096.
    const Bytes file = pngThenBitmap(png(header(4096, 4096), opaqueData), 256);
    const icons::MemorySource source(file);
    CountingDecoder decoding;
    const auto icon = icons::extractIcon(source, 0, decoding.decoder());
    EXPECT_EQ(decoding.calls, 0);
    ASSERT_TRUE(icon && std::holds_alternative<icons::Image>(*icon));
    EXPECT_EQ(std::get<icons::Image>(*icon).pixel(16, 16), 0xFFFF0000u);
}

} // namespace
