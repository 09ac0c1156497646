#include "DibDecoder.h"

#include "Limits.h"
#include "LittleEndian.h"
#include "PngStream.h"

#include <algorithm>

namespace icons {

namespace {

constexpr std::size_t pngHeaderEnd = 24;         // signature, IHDR length and type, width, height
constexpr std::size_t infoHeaderSize = 40;       // BITMAPINFOHEADER
constexpr std::uint32_t maxInfoHeaderSize = 124; // BITMAPV5HEADER
constexpr std::uint32_t uncompressed = 0;        // BI_RGB

bool validSide(std::int64_t side)
{
    return side >= 1 && side <= maxImageSide;
}

std::optional<DecodedImage> readPng(const ByteSource& source, ByteRange range)
{
    if (range.length > maxImageBytes) return std::nullopt;
    const auto bytes = source.readBytes(range.offset, static_cast<std::size_t>(range.length));
    if (!bytes) return std::nullopt;
    auto png = readPngStream(*bytes);
    if (!png) return std::nullopt;
    return std::move(*png);
}

struct DibLayout {
    int width;
    int height;
    int bitCount;
    std::size_t paletteOffset;
    std::size_t paletteEntries;
    std::size_t pixelOffset;
    std::size_t pixelStride;
    std::size_t maskOffset;
    std::size_t maskStride;
    std::size_t end;
};

std::optional<DibLayout> dibLayout(std::span<const std::uint8_t> header, std::uint64_t available)
{
    const std::uint32_t headerSize = le32(header, 0);
    const std::int32_t width = le32s(header, 4);
    // The height counts the colour rows and the mask rows together.
    const std::int32_t doubledHeight = le32s(header, 8);
    const int bitCount = le16(header, 14);
    const std::uint32_t compression = le32(header, 16);
    const std::uint32_t coloursUsed = le32(header, 32);
    if (headerSize < infoHeaderSize || headerSize > maxInfoHeaderSize) return std::nullopt;
    if (!validSide(width) || !validSide(doubledHeight / 2) || compression != uncompressed) return std::nullopt;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32) return std::nullopt;

    DibLayout layout{};
    layout.width = width;
    layout.height = doubledHeight / 2;
    layout.bitCount = bitCount;
    layout.paletteOffset = headerSize;
    if (bitCount <= 8) {
        const std::size_t full = std::size_t{1} << bitCount;
        layout.paletteEntries = coloursUsed != 0 && coloursUsed < full ? coloursUsed : full;
    }
    layout.pixelOffset = layout.paletteOffset + layout.paletteEntries * 4;
    layout.pixelStride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
    layout.maskOffset = layout.pixelOffset + layout.pixelStride * layout.height;
    layout.maskStride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    layout.end = layout.maskOffset + layout.maskStride * layout.height;
    if (layout.maskOffset > available) return std::nullopt;
    return layout;
}

std::uint32_t colourAt(const DibLayout& d, std::span<const std::uint8_t> bytes, std::span<const std::uint8_t> row,
                       int x)
{
    std::size_t index = 0;
    switch (d.bitCount) {
    case 1:
        index = row[x / 8] >> (7 - x % 8) & 1;
        break;
    case 4:
        index = row[x / 2] >> (x % 2 == 0 ? 4 : 0) & 0x0F;
        break;
    case 8:
        index = row[x];
        break;
    case 24:
        return 0xFF000000u | row[x * 3 + 2] << 16 | row[x * 3 + 1] << 8 | row[x * 3];
    default:
        return static_cast<std::uint32_t>(row[x * 4 + 3]) << 24 | row[x * 4 + 2] << 16 | row[x * 4 + 1] << 8 |
               row[x * 4];
    }
    // An index past a short palette reads as black rather than as bytes beyond it.
    if (index >= d.paletteEntries) return 0xFF000000u;
    const std::size_t at = d.paletteOffset + index * 4;
    return 0xFF000000u | bytes[at + 2] << 16 | bytes[at + 1] << 8 | bytes[at];
}

Image decodeDib(const DibLayout& d, std::span<const std::uint8_t> bytes)
{
    Image image{d.width, d.height, std::vector<std::uint32_t>(static_cast<std::size_t>(d.width) * d.height)};
    // Where the mask is cut off the image is read as opaque: the colours are whole.
    const bool hasMask = bytes.size() >= d.end;
    bool anyAlpha = false;
    for (int y = 0; y < d.height; ++y) {
        const std::size_t sourceRow = static_cast<std::size_t>(d.height - 1 - y); // rows are stored bottom-up
        const auto row = bytes.subspan(d.pixelOffset + sourceRow * d.pixelStride, d.pixelStride);
        for (int x = 0; x < d.width; ++x) {
            std::uint32_t argb = colourAt(d, bytes, row, x);
            if (d.bitCount != 32) argb |= 0xFF000000u;
            anyAlpha = anyAlpha || (argb >> 24) != 0;
            image.pixels[static_cast<std::size_t>(y) * d.width + x] = argb;
        }
    }
    // 32-bit images carry alpha; older ones leave it 0 and rely on the mask alone.
    const bool useMask = hasMask && !(d.bitCount == 32 && anyAlpha);
    if (d.bitCount == 32 && !anyAlpha)
        for (auto& p : image.pixels) p |= 0xFF000000u;
    if (!useMask) return image;
    for (int y = 0; y < d.height; ++y) {
        const std::size_t sourceRow = static_cast<std::size_t>(d.height - 1 - y);
        const auto mask = bytes.subspan(d.maskOffset + sourceRow * d.maskStride, d.maskStride);
        for (int x = 0; x < d.width; ++x)
            // A set mask bit shows the background; inverting it cannot be drawn, so it is transparent too.
            if (mask[x / 8] >> (7 - x % 8) & 1) image.pixels[static_cast<std::size_t>(y) * d.width + x] = 0;
    }
    return image;
}

} // namespace

std::optional<DecodedImage> decodeImage(const ByteSource& source, ByteRange range)
{
    const std::size_t headLength = static_cast<std::size_t>(std::min<std::uint64_t>(range.length, infoHeaderSize));
    if (headLength < pngHeaderEnd) return std::nullopt;
    const auto head = source.readBytes(range.offset, headLength);
    if (!head) return std::nullopt;
    if (isPngStream(*head)) return readPng(source, range);
    if (head->size() < infoHeaderSize) return std::nullopt;

    const auto layout = dibLayout(*head, range.length);
    if (!layout) return std::nullopt;
    const std::size_t length = static_cast<std::size_t>(std::min<std::uint64_t>(range.length, layout->end));
    const auto bytes = source.readBytes(range.offset, length);
    if (!bytes) return std::nullopt;
    return decodeDib(*layout, *bytes);
}

} // namespace icons
