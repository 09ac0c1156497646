#include "ImageData.h"
#include "Limits.h"
#include "PngCodec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <string_view>

namespace icons {

namespace {

// Decoding after ISO/IEC 15948: the rows are inflated one at a time into two
// row buffers, unfiltered against the row above and turned into pixels, so
// the image data is inflated once and never past the rows its header declares.

constexpr std::size_t signatureLength = 8;
constexpr std::size_t chunkOverhead = 12; // length, type, CRC
constexpr std::uint8_t greyscale = 0, truecolour = 2, indexed = 3, greyscaleAlpha = 4, truecolourAlpha = 6;
constexpr std::uint32_t opaqueBlack = 0xFF000000u;
// Fuzzing builds take every CRC as sound, or no mutated chunk would ever reach the decoding.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr bool checksCrc = false;
#else
constexpr bool checksCrc = true;
#endif

std::uint32_t be32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

std::uint32_t be16(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) << 8 | p[1];
}

struct Format {
    std::uint8_t depth = 0;
    std::uint8_t colourType = 0;
    bool interlaced = false;
    int channels = 0;
    // Palette entries as 0xAARRGGBB, alpha from tRNS; indices past the
    // palette read as opaque black.
    std::array<std::uint32_t, 256> palette{};
    std::size_t paletteEntries = 0;
    // The one greyscale or truecolour value tRNS makes transparent (keeping its
    // colour), at the image's depth.
    bool keyed = false;
    std::array<std::uint32_t, 3> key{};

    int bitsPerPixel() const { return channels * depth; }
};

// The header, palette and transparency, read from the chunks before the
// image data. Critical chunks whose CRC fails refuse the image; a damaged or
// misplaced tRNS is left out, as an ancillary chunk is.
bool readFormat(const PngImage& png, Format& format)
{
    const auto& bytes = png.bytes;
    bool header = false, palette = false, imageData = false;
    std::span<const std::uint8_t> transparency;
    for (std::size_t at = signatureLength; bytes.size() - at >= chunkOverhead;) {
        const std::uint32_t length = be32(&bytes[at]);
        if (length > bytes.size() - at - chunkOverhead) return false;
        const std::string_view type(reinterpret_cast<const char*>(&bytes[at + 4]), 4);
        const std::uint8_t* data = &bytes[at + 8];
        const bool sound = !checksCrc || crc32(0, &bytes[at + 4], length + 4) == be32(data + length);
        at += chunkOverhead + length;
        if (type == "tRNS") {
            // Only before the image data, and after the palette it completes.
            if (sound && !imageData && (palette || format.colourType != indexed)) transparency = {data, length};
            continue;
        }
        if (!sound) return false;
        if (type == "IHDR" && length == 13) {
            header = be32(data) == static_cast<std::uint32_t>(png.width) &&
                     be32(data + 4) == static_cast<std::uint32_t>(png.height);
            format.depth = data[8];
            format.colourType = data[9];
            format.interlaced = data[12] == 1;
        } else if (type == "PLTE" && format.colourType == indexed && !imageData) {
            if (length == 0 || length % 3 != 0 || length / 3 > 256) return false;
            // Entries past what the depth can index are never used.
            format.paletteEntries = std::min<std::size_t>(length / 3, std::size_t{1} << format.depth);
            for (std::size_t i = 0; i < format.paletteEntries; ++i) {
                const std::uint8_t* rgb = data + 3 * i;
                format.palette[i] = opaqueBlack | static_cast<std::uint32_t>(rgb[0]) << 16 | rgb[1] << 8 | rgb[2];
            }
            palette = true;
        } else if (type == "IDAT") {
            imageData = true;
        }
    }
    if (!header) return false;
    // The depths each colour type allows (ISO/IEC 15948, 11.2.2).
    const std::uint8_t d = format.depth;
    const bool wholeBytes = d == 8 || d == 16, packed = d == 1 || d == 2 || d == 4;
    switch (format.colourType) {
    case greyscale:
        format.channels = wholeBytes || packed ? 1 : 0;
        break;
    case truecolour:
        format.channels = wholeBytes ? 3 : 0;
        break;
    case indexed:
        format.channels = d == 8 || packed ? 1 : 0;
        break;
    case greyscaleAlpha:
        format.channels = wholeBytes ? 2 : 0;
        break;
    case truecolourAlpha:
        format.channels = wholeBytes ? 4 : 0;
        break;
    default:
        return false;
    }
    if (format.channels == 0) return false;
    if (format.colourType == indexed && !palette) return false;
    const std::uint8_t* t = transparency.data();
    if (format.colourType == indexed && transparency.size() <= format.paletteEntries) {
        for (std::size_t i = 0; i < transparency.size(); ++i)
            format.palette[i] = (format.palette[i] & 0xFFFFFFu) | static_cast<std::uint32_t>(t[i]) << 24;
    } else if (format.colourType == greyscale && transparency.size() == 2) {
        format.keyed = true;
        format.key = {be16(t), 0, 0};
    } else if (format.colourType == truecolour && transparency.size() == 6) {
        format.keyed = true;
        format.key = {be16(t), be16(t + 2), be16(t + 4)};
    }
    return true;
}

std::uint8_t paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    if (pa <= pb && pa <= pc) return static_cast<std::uint8_t>(a);
    return static_cast<std::uint8_t>(pb <= pc ? b : c);
}

// Undoes the row's filter (ISO/IEC 15948, 9) against the row above (zeros
// for a pass's first row); `unit` is the bytes of a pixel, at least one.
bool unfilter(std::uint8_t type, std::span<std::uint8_t> row, std::span<const std::uint8_t> above, std::size_t unit)
{
    const std::size_t n = row.size();
    switch (type) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = unit; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + row[i - unit]);
        return true;
    case 2:
        for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + above[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < n; ++i) {
            const unsigned left = i >= unit ? row[i - unit] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + ((left + above[i]) >> 1));
        }
        return true;
    case 4:
        for (std::size_t i = 0; i < n; ++i) {
            const int left = i >= unit ? row[i - unit] : 0;
            const int upperLeft = i >= unit ? above[i - unit] : 0;
            row[i] = static_cast<std::uint8_t>(row[i] + paeth(left, above[i], upperLeft));
        }
        return true;
    default:
        return false;
    }
}

// Sample `index` of a row, at the image's depth (packed from the high bits for depths under 8).
std::uint32_t sample(const std::uint8_t* row, std::size_t index, int depth)
{
    switch (depth) {
    case 16:
        return be16(row + 2 * index);
    case 8:
        return row[index];
    default: {
        const std::size_t bit = index * static_cast<std::size_t>(depth);
        const int shift = 8 - depth - static_cast<int>(bit % 8);
        return static_cast<std::uint32_t>(row[bit / 8] >> shift) & ((1u << depth) - 1);
    }
    }
}

// A sample at the image's depth scaled to 8 bits, rounded to nearest.
std::uint32_t to8(std::uint32_t value, int depth)
{
    if (depth == 8) return value;
    const std::uint32_t largest = (1u << depth) - 1;
    return (value * 255 + largest / 2) / largest;
}

std::uint32_t pixelAt(const Format& f, const std::uint8_t* row, std::size_t x)
{
    const std::size_t first = x * static_cast<std::size_t>(f.channels);
    const auto at = [&](int channel) { return sample(row, first + static_cast<std::size_t>(channel), f.depth); };
    switch (f.colourType) {
    case indexed: {
        const std::uint32_t index = at(0);
        return index < f.paletteEntries ? f.palette[index] : opaqueBlack;
    }
    case greyscale: {
        const std::uint32_t grey = at(0);
        const std::uint32_t alpha = f.keyed && grey == f.key[0] ? 0 : opaqueBlack;
        return alpha | to8(grey, f.depth) * 0x010101u;
    }
    case greyscaleAlpha:
        return to8(at(1), f.depth) << 24 | to8(at(0), f.depth) * 0x010101u;
    case truecolour: {
        const std::uint32_t r = at(0), g = at(1), b = at(2);
        const std::uint32_t alpha = f.keyed && r == f.key[0] && g == f.key[1] && b == f.key[2] ? 0 : opaqueBlack;
        return alpha | to8(r, f.depth) << 16 | to8(g, f.depth) << 8 | to8(b, f.depth);
    }
    default:
        return to8(at(3), f.depth) << 24 | to8(at(0), f.depth) << 16 | to8(at(1), f.depth) << 8 | to8(at(2), f.depth);
    }
}

// Reads the rows of one pass (or of the whole image) into `image`.
bool readPass(ImageData& data, const Format& format, const InterlacePass& pass, Image& image)
{
    const int columns = pass.columns(image.width), rows = pass.rows(image.height);
    if (columns == 0 || rows == 0) return true;
    const std::size_t rowBytes = (static_cast<std::size_t>(columns) * format.bitsPerPixel() + 7) / 8;
    const std::size_t unit = std::max(1, format.bitsPerPixel() / 8);
    // The widest row: 256 pixels of four 16-bit samples, after its filter-type byte.
    std::array<std::uint8_t, 1 + 256 * 8> first{}, second{};
    std::span<std::uint8_t> row(first.data(), 1 + rowBytes), above(second.data(), 1 + rowBytes);
    for (int r = 0; r < rows; ++r) {
        if (!data.read(row) || !unfilter(row[0], row.subspan(1), above.subspan(1), unit)) return false;
        std::uint32_t* out = &image.pixels[static_cast<std::size_t>(pass.y0 + r * pass.dy) * image.width + pass.x0];
        const std::uint8_t* samples = row.data() + 1;
        if (format.colourType == truecolourAlpha && format.depth == 8) {
            // Most icon images: 8-bit RGBA, four bytes a pixel.
            // Read big-endian, RGBA becomes ARGB by one rotation.
            for (int c = 0; c < columns; ++c, samples += 4)
                out[static_cast<std::size_t>(c) * pass.dx] = std::rotr(be32(samples), 8);
        } else {
            for (int c = 0; c < columns; ++c)
                out[static_cast<std::size_t>(c) * pass.dx] = pixelAt(format, samples, static_cast<std::size_t>(c));
        }
        std::swap(row, above);
    }
    return true;
}

} // namespace

std::optional<Image> decodePngPixels(const PngImage& png)
{
    Format format;
    if (png.width < 1 || png.height < 1 || png.width > maxImageSide || png.height > maxImageSide ||
        !readFormat(png, format))
        return std::nullopt;
    Image image{png.width, png.height, std::vector<std::uint32_t>(static_cast<std::size_t>(png.width) * png.height)};
    ImageData data(png);
    if (format.interlaced) {
        for (const InterlacePass& pass : adam7Passes)
            if (!readPass(data, format, pass, image)) return std::nullopt;
    } else if (!readPass(data, format, wholeImage, image)) {
        return std::nullopt;
    }
    if (!data.endsHere()) return std::nullopt;
    return image;
}

} // namespace icons
