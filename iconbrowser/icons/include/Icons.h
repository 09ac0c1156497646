#pragma once

// The icon library: its one public header. It reads the icons of icon files
// (.ico) and of PE32, PE32+ and NE executables and libraries, from a file or
// from bytes in memory, on the standard library alone: counting a file's
// icons, choosing an icon's image for a size, decoding bitmaps and checking
// PNG streams, scaling, and writing an icon out again as an icon file. The
// stages behind these calls (the containers' parsers, the bitmap decoder, the
// PNG checks, the scaler) are private to the library.
//
// Threading: the functions are safe on any thread. An IconReader keeps a file
// open with one block read ahead and what its failed images cost so far, so
// it is used by one thread at a time; readers of their own on other threads
// are independent.
//
// Failures: a file that is damaged, hostile, unreadable or of another kind is
// reported by the result value alone (no icons counted, no icon, no image, an
// empty list); nothing throws, and what a file can make the reader allocate
// or do is bounded. The callers word the messages.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <variant>
#include <vector>

namespace icons {

// The standard large icon size, in pixels.
inline constexpr int standardIconSize = 32;

// Random access to the bytes of one file or memory block. Every read names its
// offset and length; a read that would reach past the end fails whole, so no
// parser ever sees bytes that are not there.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const = 0;

    bool contains(std::uint64_t offset, std::uint64_t length) const
    {
        return offset <= size() && length <= size() - offset;
    }

    std::optional<std::vector<std::uint8_t>> readBytes(std::uint64_t offset, std::size_t length) const
    {
        if (!contains(offset, length)) return std::nullopt;
        std::vector<std::uint8_t> bytes(length);
        if (!read(offset, bytes)) return std::nullopt;
        return bytes;
    }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const override { return bytes_.size(); }

    bool read(std::uint64_t offset, std::span<std::uint8_t> destination) const override
    {
        if (!contains(offset, destination.size())) return false;
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), destination.size(), destination.begin());
        return true;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// A run of bytes inside a source: where an icon directory or an image lives.
struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

// Pixels as 0xAARRGGBB, not premultiplied, rows from the top.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t pixel(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A PNG-compressed icon image, checked and left compressed for a PNG decoder.
// `bytes` is a whole PNG stream holding only what the pixels need (IHDR, PLTE,
// tRNS, the IDAT chunks, IEND): text, colour profiles and other ancillary
// chunks, which decoders may inflate as well, are left behind. Its sides are
// from 1 to 256, the largest an icon image can be.
struct PngImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;
    // Where the IDAT chunks' data lies in `bytes`: together, one zlib stream.
    std::vector<ByteRange> compressedData;
    // What that stream must inflate to: the filtered rows that IHDR declares,
    // no more. A decoder that inflates past it does work the image cannot use.
    std::uint64_t inflatedSize = 0;
};

// One icon image as the reader decodes it: a bitmap's pixels, or a PNG
// image's checked stream, for the caller's PNG decoder. A reader given a PNG
// decoder hands back pixels only. A standard-size icon arrives as pixels
// already at the standard size; a PNG one at its own size, after which
// fitToStandardSize brings it to the standard size.
using DecodedImage = std::variant<Image, PngImage>;

// Turns a PNG-compressed image into its pixels, at the size it has, or gives
// nothing when it does not decode (or would cost more than its size allows).
using PngDecodeFunction = std::function<std::optional<Image>(const PngImage&)>;

// How many icons a file holds: the icon-group resources of a PE32, PE32+ or NE
// executable or library, 1 for an icon file, 0 for anything else or anything
// unreadable. The type is found from the bytes, not from the file name.
int countIcons(const ByteSource& source);
int countIcons(const std::filesystem::path& path);

// Icon `index` (0 to countIcons - 1) at the standard size: the icon's image of
// exactly that size with the most colours or, failing that, the nearest size
// scaled smoothly. An image that cannot be read gives way to the next best.
// Nothing for an index outside the count or an icon with no readable image.
// Given a PNG decoder, PNG images are decoded here and come back as pixels at
// the standard size like bitmaps, and one that does not decode gives way to
// the next best image too; without one they come back undecoded.
std::optional<DecodedImage> extractIcon(const ByteSource& source, int index, const PngDecodeFunction& decodePng = {});
std::optional<DecodedImage> extractIcon(const std::filesystem::path& path, int index,
                                        const PngDecodeFunction& decodePng = {});

// Which image of an icon to take, at the image's own size.
struct ImageChoice {
    enum class Rule {
        Nearest,         // the image nearest `size` (the standard icon's rule)
        SmallestAtLeast, // the smallest image at least `size`, else the largest
        Largest,         // the largest image
    };
    Rule rule = Rule::Nearest;
    int size = standardIconSize;
};

// One image of an icon as the file stores it.
struct StoredImage {
    // What the image's own header says (a PNG's IHDR, a bitmap's info header),
    // or its directory entry where the header is unreadable.
    int width = 0;
    int height = 0;
    int bitCount = 0; // of a bitmap; 0 for PNG
    bool png = false;
    // Its icon directory entry as stored (a side of 256 is stored as 0).
    std::uint8_t entryWidth = 0;
    std::uint8_t entryHeight = 0;
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t entryBitCount = 0;
    // The image's bytes exactly as stored (empty from IconReader::imageList).
    std::vector<std::uint8_t> bytes;
};

// A stored image decoded at its own size; a PNG image comes back checked but
// undecoded, for the caller's PNG decoder. Nothing when it cannot be read.
std::optional<DecodedImage> decodeStoredImage(const StoredImage& image);

// An icon file (.ico) holding `images`, in their order, each byte for byte.
std::vector<std::uint8_t> iconFileBytes(std::span<const StoredImage> images);

class IconContainer;
struct FailureBudget;

// Reads the icons of one file or memory block, finding its directories once:
// the way to read a page of icons. The functions above each open afresh.
// An image is tried once per icon however many entries name it, and once the
// images that failed add up to maxFailedImageBytes, no more are tried.
class IconReader {
public:
    explicit IconReader(const std::filesystem::path& path);
    // The bytes must outlive the reader.
    explicit IconReader(std::span<const std::uint8_t> bytes);
    ~IconReader();
    IconReader(const IconReader&) = delete;
    IconReader& operator=(const IconReader&) = delete;

    int count() const;
    std::optional<DecodedImage> icon(int index, const PngDecodeFunction& decodePng = {}) const;
    // The image `choice` names at its own size; one that cannot be read gives
    // way to the next by the same rule.
    std::optional<DecodedImage> image(int index, ImageChoice choice, const PngDecodeFunction& decodePng = {}) const;
    // The images of icon `index` in the group's order (the first language of
    // the group and of each image), their headers read but not their bytes.
    std::vector<StoredImage> imageList(int index) const;
    // The same with every image's bytes; images larger than any icon image
    // can be, or past maxIconFileBytes in all, are left out.
    std::vector<StoredImage> storedImages(int index) const;

private:
    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<IconContainer> container_;
    // Shared by every icon read through this reader: a file made of failing
    // images costs its bound once, not once per icon.
    std::unique_ptr<FailureBudget> failures_;
};

// Scales smoothly to standardIconSize square, unless already that size.
Image fitToStandardSize(Image image);

// Scales smoothly down, keeping the shape, so that neither side passes
// `size`; a smaller image is left as it is.
Image shrinkToFit(Image image, int size);

} // namespace icons
