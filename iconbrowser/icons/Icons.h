#pragma once

#include "ByteSource.h"
#include "DibDecoder.h"
#include "Image.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace icons {

// The standard large icon size, in pixels.
inline constexpr int standardIconSize = 32;

// One icon ready to draw. A bitmap image arrives as pixels already at the
// standard size; a PNG-compressed one arrives as its stream, for the caller's
// PNG decoder, after which fitToStandardSize brings it to the standard size,
// unless the caller hands its decoder to the reader (see below).
using Icon = IconImage;

// Turns a PNG-compressed image into its pixels, at the size it has, or gives
// nothing when it does not decode (or would cost more than its size allows).
using PngDecoder = std::function<std::optional<Image>(const PngImage&)>;

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
std::optional<Icon> extractIcon(const ByteSource& source, int index, const PngDecoder& decodePng = {});
std::optional<Icon> extractIcon(const std::filesystem::path& path, int index, const PngDecoder& decodePng = {});

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
std::optional<Icon> decodeStoredImage(const StoredImage& image);

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
    std::optional<Icon> icon(int index, const PngDecoder& decodePng = {}) const;
    // The image `choice` names at its own size; one that cannot be read gives
    // way to the next by the same rule.
    std::optional<Icon> image(int index, ImageChoice choice, const PngDecoder& decodePng = {}) const;
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
