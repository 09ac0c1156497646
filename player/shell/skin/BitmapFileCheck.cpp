#include "SkinFiles.h"

#include <cstdint>

namespace {

// Bitmap headers are little-endian (the BMP file format).
std::uint32_t word(std::string_view bytes, std::size_t at, int size)
{
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bytes[at + std::size_t(i)]);
    return value;
}

constexpr std::size_t fileHeaderSize = 14;
constexpr std::uint32_t coreHeaderSize = 12; // BITMAPCOREHEADER
constexpr std::uint32_t infoHeaderSize = 40; // BITMAPINFOHEADER and its successors
constexpr std::uint32_t uncompressed = 0;    // BI_RGB
constexpr std::uint32_t bitFields = 3;       // BI_BITFIELDS
constexpr std::uint32_t alphaBitFields = 6;  // BI_ALPHABITFIELDS

} // namespace

bool bitmapPixelsFit(std::string_view file)
{
    if (file.size() < fileHeaderSize + 4 || file.substr(0, 2) != "BM") return false;
    const std::uint64_t pixelsAt = word(file, 10, 4);
    const std::uint32_t headerSize = word(file, 14, 4);
    std::uint64_t width = 0;
    std::uint64_t height = 0;
    std::uint32_t bitsPerPixel = 0;
    std::uint32_t compression = uncompressed;
    std::uint64_t compressedSize = 0;
    if (headerSize == coreHeaderSize && file.size() >= fileHeaderSize + coreHeaderSize) {
        width = word(file, 18, 2);
        height = word(file, 20, 2);
        bitsPerPixel = word(file, 24, 2);
    } else if (headerSize >= infoHeaderSize && file.size() >= fileHeaderSize + infoHeaderSize) {
        const auto signedWidth = static_cast<std::int32_t>(word(file, 18, 4));
        const auto signedHeight = static_cast<std::int32_t>(word(file, 22, 4));
        // A negative height is an image stored top row first.
        width = signedWidth < 0 ? 0 : std::uint64_t(signedWidth);
        height = signedHeight < 0 ? std::uint64_t(-std::int64_t(signedHeight)) : std::uint64_t(signedHeight);
        bitsPerPixel = word(file, 28, 2);
        compression = word(file, 30, 4);
        compressedSize = word(file, 34, 4);
    } else {
        return false;
    }
    if (pixelsAt > file.size()) return false;
    if (compression == uncompressed || compression == bitFields || compression == alphaBitFields) {
        // Rows are padded to whole 32-bit words. A row of 2^31 pixels of
        // 2^16 bits stays within 64 bits; its product with the row count
        // might not, hence the division.
        const std::uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        return height == 0 || rowBytes <= (file.size() - pixelsAt) / height;
    }
    return compressedSize > 0 && compressedSize <= file.size() - pixelsAt;
}
