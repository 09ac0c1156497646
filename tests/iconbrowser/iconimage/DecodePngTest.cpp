// The PNG decoder handed to the icon reader: sound images decode; data that
// inflates past its rows, falls short of them or is damaged does not, and the
// icon falls back to its next best image.
#include "DeflatedRows.h"
#include "IconImage.h"
#include "PngStream.h"

#include <gtest/gtest.h>

using namespace iconbytes;

namespace {

constexpr std::uint32_t green = 0xFF00FF00u;
constexpr std::uint32_t red = 0xFFFF0000u;

std::optional<icons::Image> decode(const Bytes& stream)
{
    const auto png = icons::readPngStream(stream);
    if (!png) {
        ADD_FAILURE() << "the stream's chunks do not pass";
        return std::nullopt;
    }
    return icons::decodePng(*png);
}

// The filtered rows of each Adam7 pass of a one-colour image, pass after pass.
Bytes interlacedRows(int width, int height, std::uint32_t argb)
{
    struct Pass {
        int x0, y0, dx, dy;
    };
    const Pass passes[] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                           {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    Bytes out;
    for (const Pass& p : passes) {
        const int columns = width > p.x0 ? (width - p.x0 + p.dx - 1) / p.dx : 0;
        const int rows = height > p.y0 ? (height - p.y0 + p.dy - 1) / p.dy : 0;
        if (columns == 0 || rows == 0) continue;
        const Bytes pass = rgbaRows(columns, rows, argb);
        out.insert(out.end(), pass.begin(), pass.end());
    }
    return out;
}

TEST(DecodePng, DecodesSoundImagesPlainAndInterlaced)
{
    const auto plain = decode(png(header(20, 12), deflated(rgbaRows(20, 12, green))));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->width, 20);
    EXPECT_EQ(plain->height, 12);
    EXPECT_EQ(plain->pixel(19, 11), green);
    // Sizes whose passes are partly empty: the rows counted must be the decoder's own.
    for (auto [width, height] : {std::pair{5, 7}, {1, 1}, {3, 3}, {33, 17}}) {
        const auto interlaced =
            decode(png(header(width, height, 8, 6, 1), deflated(interlacedRows(width, height, red))));
        ASSERT_TRUE(interlaced) << width << " x " << height;
        EXPECT_EQ(interlaced->pixel(width - 1, height - 1), red);
    }
}

TEST(DecodePng, DecodesAPaletteImageWithoutItsTextAndProfile)
{
    // Two palette entries, the second transparent; 8-bit indices all 1 but the first pixel.
    Bytes rows = {0, 0, 1, 1, 0, 1, 1, 1};
    const auto image =
        decode(png(header(3, 2, 8, 3), deflated(rows),
                   {chunk("zTXt", Bytes{'k', 0, 0, 0x78, 0x9C, 0xFF}), chunk("PLTE", {0, 0, 255, 0, 255, 0}),
                    chunk("tRNS", {255, 0}), chunk("iCCP", {'p', 0, 0, 0x78})}));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(image->pixel(1, 0) >> 24, 0u) << "transparent by tRNS";
}

TEST(DecodePng, RefusesDataThatDoesNotInflateToExactlyItsRows)
{
    const Bytes rows = rgbaRows(32, 32, green);
    // 16 MiB of zeros past the rows: 16 KB of data that a decoder would inflate in full.
    const Bytes inflating = deflated(rows, 16u << 20);
    ASSERT_LT(inflating.size(), 64u * 1024);
    EXPECT_FALSE(decode(png(header(32, 32), inflating))) << "inflates past its rows";
    EXPECT_FALSE(decode(png(header(32, 32), deflated(rows, 1)))) << "one byte past its rows";
    EXPECT_FALSE(decode(png(header(32, 32), deflated(Bytes(rows.begin(), rows.end() - 4))))) << "short of its rows";
    const Bytes whole = deflated(rows);
    EXPECT_FALSE(decode(png(header(32, 32), Bytes(whole.begin(), whole.end() - 6)))) << "a stream that never ends";
    EXPECT_FALSE(decode(png(header(32, 32), damaged(whole)))) << "damaged data";
    EXPECT_TRUE(decode(png(header(32, 32), whole)));
}

TEST(DecodePng, ReadsOneStreamAcrossManyIdatChunks)
{
    const Bytes data = deflated(rgbaRows(8, 8, green));
    std::vector<Bytes> pieces;
    for (std::size_t at = 0; at < data.size(); at += 3)
        pieces.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(at),
                            data.begin() + static_cast<std::ptrdiff_t>(std::min(at + 3, data.size())));
    const Bytes last = pieces.back();
    pieces.pop_back();
    std::vector<Bytes> chunks;
    for (const Bytes& piece : pieces) chunks.push_back(chunk("IDAT", piece));
    const auto image = decode(png(header(8, 8), last, chunks));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixel(7, 7), green);
}

TEST(DecodePng, AnIconFallsBackFromAHostilePngToItsBitmap)
{
    const Bytes bitmap = dib32(32, red);
    for (const Bytes& hostile :
         {deflated(rgbaRows(32, 32, green), 8u << 20), damaged(deflated(rgbaRows(32, 32, green)))}) {
        const Bytes file = ico({{32, 32, png(header(32, 32), hostile)}, {32, 32, bitmap}});
        const icons::IconReader reader(file);
        const QImage image = icons::iconImage(reader, 0);
        ASSERT_EQ(image.size(), QSize(32, 32));
        EXPECT_EQ(image.pixel(16, 16), red);
    }
    const Bytes sound = ico({{32, 32, png(header(32, 32), deflated(rgbaRows(32, 32, green)))}, {32, 32, bitmap}});
    const icons::IconReader reader(sound);
    EXPECT_EQ(icons::iconImage(reader, 0).pixel(16, 16), green);
    EXPECT_TRUE(icons::iconImage(reader, 1).isNull()) << "past the count";
}

} // namespace
