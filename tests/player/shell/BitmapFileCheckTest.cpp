// Whether a bitmap file holds the pixels its headers promise.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "SkinFiles.h"

namespace {

void put(std::string& bytes, std::size_t at, std::uint32_t value, int size)
{
    for (int i = 0; i < size; ++i) bytes[at + std::size_t(i)] = char(value >> (8 * i) & 0xff);
}

// A bitmap of the BITMAPINFOHEADER kind with its pixel bytes, all zero.
std::string bitmap(std::int32_t width, std::int32_t height, int bits, std::uint32_t compression = 0,
                   std::uint32_t compressedSize = 0)
{
    std::string bytes(54, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(bytes, 10, 54, 4);
    put(bytes, 14, 40, 4);
    put(bytes, 18, std::uint32_t(width), 4);
    put(bytes, 22, std::uint32_t(height), 4);
    put(bytes, 26, 1, 2);
    put(bytes, 28, std::uint32_t(bits), 2);
    put(bytes, 30, compression, 4);
    put(bytes, 34, compressedSize, 4);
    const std::size_t rowBytes = (std::size_t(width < 0 ? -width : width) * std::size_t(bits) + 31) / 32 * 4;
    const std::size_t rows = std::size_t(height < 0 ? -std::int64_t(height) : height);
    bytes.append(compression == 0 ? rowBytes * rows : compressedSize, '\0');
    return bytes;
}

} // namespace

TEST(BitmapFileCheck, AcceptsEveryRowAndRefusesAFileCutShort)
{
    for (const int bits : {1, 4, 8, 16, 24, 32}) {
        const std::string whole = bitmap(13, 7, bits);
        EXPECT_TRUE(bitmapPixelsFit(whole)) << bits;
        EXPECT_TRUE(bitmapPixelsFit(whole + "trailing bytes")) << bits;
        EXPECT_FALSE(bitmapPixelsFit(whole.substr(0, whole.size() - 1))) << bits;
    }
    // Stored top row first.
    const std::string topDown = bitmap(5, -3, 24);
    EXPECT_TRUE(bitmapPixelsFit(topDown));
    EXPECT_FALSE(bitmapPixelsFit(topDown.substr(0, topDown.size() - 1)));
    // Only the header.
    EXPECT_FALSE(bitmapPixelsFit(bitmap(120, 90, 24).substr(0, 54)));
}

TEST(BitmapFileCheck, RefusesHeadersThatPromiseTooMuchOrTooLittle)
{
    EXPECT_FALSE(bitmapPixelsFit(""));
    EXPECT_FALSE(bitmapPixelsFit("This file is text, not a bitmap.\n"));
    EXPECT_FALSE(bitmapPixelsFit(bitmap(2, 2, 24).substr(0, 30)));
    // Pixels said to start past the end.
    std::string far = bitmap(2, 2, 24);
    put(far, 10, 100000, 4);
    EXPECT_FALSE(bitmapPixelsFit(far));
    // Sizes whose product passes 64 bits.
    std::string huge = bitmap(1, 1, 32);
    put(huge, 18, 0x7fffffff, 4);
    put(huge, 22, 0x7fffffff, 4);
    put(huge, 28, 0xffff, 2);
    EXPECT_FALSE(bitmapPixelsFit(huge));
    std::string lowest = bitmap(1, 1, 32);
    put(lowest, 22, 0x80000000u, 4);
    EXPECT_FALSE(bitmapPixelsFit(lowest));
}

TEST(BitmapFileCheck, ComparesCompressedDataWithItsGivenSize)
{
    const std::string rle = bitmap(16, 16, 8, 1, 300);
    EXPECT_TRUE(bitmapPixelsFit(rle));
    EXPECT_FALSE(bitmapPixelsFit(rle.substr(0, rle.size() - 1)));
    EXPECT_FALSE(bitmapPixelsFit(bitmap(16, 16, 8, 1, 0)));
}

TEST(BitmapFileCheck, ReadsTheOldCoreHeader)
{
    std::string core(26, '\0');
    core[0] = 'B';
    core[1] = 'M';
    put(core, 10, 26, 4);
    put(core, 14, 12, 4);
    put(core, 18, 3, 2);
    put(core, 20, 2, 2);
    put(core, 22, 1, 2);
    put(core, 24, 24, 2);
    core.append(2 * 12, '\0');
    EXPECT_TRUE(bitmapPixelsFit(core));
    EXPECT_FALSE(bitmapPixelsFit(core.substr(0, core.size() - 1)));
}
