#include "Icons.h"

#include "DibDecoder.h"
#include "FileSource.h"
#include "IcoFile.h"
#include "Limits.h"
#include "LittleEndian.h"
#include "PngStream.h"
#include "NeResources.h"
#include "PeResources.h"
#include "Scale.h"

#include <algorithm>
#include <set>
#include <utility>

namespace icons {

// The bytes of images that failed to decode so far, against maxFailedImageBytes.
struct FailureBudget {
    std::uint64_t spent = 0;
};

namespace {

constexpr std::size_t dosHeaderSize = 64;
constexpr std::size_t newHeaderPointerAt = 0x3C; // e_lfanew

// Finds what kind of file the bytes hold: an executable by its DOS stub's
// pointer to a PE or NE header, an icon file by its directory.
std::unique_ptr<IconContainer> openContainer(const ByteSource& source)
{
    const auto dos = source.readBytes(0, dosHeaderSize);
    if (dos && (*dos)[0] == 'M' && (*dos)[1] == 'Z') {
        const std::uint32_t newHeader = le32(*dos, newHeaderPointerAt);
        const auto signature = source.readBytes(newHeader, 4);
        if (!signature) return nullptr;
        const auto& s = *signature;
        if (s[0] == 'P' && s[1] == 'E' && s[2] == 0 && s[3] == 0) return PeResources::open(source, newHeader);
        if (s[0] == 'N' && s[1] == 'E') return NeResources::open(source, newHeader);
        return nullptr;
    }
    return IcoFile::open(source);
}

std::vector<IconDirEntry> ranked(std::vector<IconDirEntry> entries, ImageChoice choice)
{
    switch (choice.rule) {
    case ImageChoice::Rule::SmallestAtLeast:
        return rankForPicture(std::move(entries), choice.size);
    case ImageChoice::Rule::Largest:
        return rankLargestFirst(std::move(entries));
    case ImageChoice::Rule::Nearest:
        break;
    }
    return rankForSize(std::move(entries), choice.size);
}

std::optional<DecodedImage> readImage(const ByteSource& source, const IconContainer& container, int index,
                                      ImageChoice choice, const PngDecodeFunction& decodePng, FailureBudget& budget)
{
    if (index < 0 || index >= container.iconCount()) return std::nullopt;
    std::set<std::pair<std::uint64_t, std::uint64_t>> tried; // entries may all name one image
    for (const IconDirEntry& entry : ranked(container.images(index), choice)) {
        if (budget.spent >= maxFailedImageBytes) return std::nullopt;
        const auto range = container.imageRange(entry);
        if (!range || !tried.emplace(range->offset, range->length).second) continue;
        auto image = decodeImage(source, *range);
        if (image)
            if (const auto* png = std::get_if<PngImage>(&*image); png && decodePng) {
                auto pixels = decodePng(*png);
                if (pixels)
                    *image = std::move(*pixels);
                else
                    image.reset();
            }
        if (image) return image;
        budget.spent += std::min<std::uint64_t>(range->length, maxImageBytes);
    }
    return std::nullopt;
}

std::optional<DecodedImage> readIcon(const ByteSource& source, const IconContainer& container, int index,
                                     const PngDecodeFunction& decodePng, FailureBudget& budget)
{
    auto image = readImage(source, container, index, {}, decodePng, budget);
    if (image)
        if (auto* bitmap = std::get_if<Image>(&*image)) *bitmap = fitToStandardSize(std::move(*bitmap));
    return image;
}

constexpr std::size_t pngHeaderEnd = 24;    // signature, IHDR length and type, width, height
constexpr std::size_t bitmapHeaderEnd = 16; // size, width, doubled height, planes, bit count

// What an image's own header says of it; its directory entry where the header is unreadable.
void readHeader(std::span<const std::uint8_t> head, StoredImage& image)
{
    const auto be32 = [&](std::size_t at) {
        return static_cast<int>(head[at] << 24 | head[at + 1] << 16 | head[at + 2] << 8 | head[at + 3]);
    };
    if (head.size() >= pngHeaderEnd && isPngStream(head)) {
        image.png = true;
        image.width = be32(16);
        image.height = be32(20);
        image.bitCount = 0;
    } else if (head.size() >= bitmapHeaderEnd && le32(head, 0) >= 40 && le32(head, 0) <= 124) {
        image.width = le32s(head, 4);
        image.height = le32s(head, 8) / 2;
        image.bitCount = le16(head, 14);
    }
}

std::vector<StoredImage> listImages(const ByteSource& source, const IconContainer& container, int index, bool withBytes)
{
    std::vector<StoredImage> images;
    if (index < 0 || index >= container.iconCount()) return images;
    std::uint64_t total = 0;
    for (const IconDirEntry& entry : container.images(index)) {
        const auto range = container.imageRange(entry);
        if (!range || range->length == 0 || range->length > maxImageBytes) continue;
        if (withBytes && total + range->length > maxIconFileBytes) break;
        StoredImage image;
        image.width = entry.width;
        image.height = entry.height;
        image.bitCount = entry.bitCount;
        image.entryWidth = static_cast<std::uint8_t>(entry.width % 256);
        image.entryHeight = static_cast<std::uint8_t>(entry.height % 256);
        image.colorCount = entry.colorCount;
        image.planes = entry.planes;
        image.entryBitCount = entry.storedBitCount;
        const std::size_t length =
            static_cast<std::size_t>(withBytes ? range->length : std::min<std::uint64_t>(range->length, pngHeaderEnd));
        auto bytes = source.readBytes(range->offset, length);
        if (!bytes) continue;
        readHeader(*bytes, image);
        if (withBytes) {
            total += range->length;
            image.bytes = std::move(*bytes);
        }
        images.push_back(std::move(image));
    }
    return images;
}

} // namespace

int countIcons(const ByteSource& source)
{
    const auto container = openContainer(source);
    return container ? container->iconCount() : 0;
}

int countIcons(const std::filesystem::path& path)
{
    return IconReader(path).count();
}

std::optional<DecodedImage> extractIcon(const ByteSource& source, int index, const PngDecodeFunction& decodePng)
{
    const auto container = openContainer(source);
    FailureBudget budget;
    return container ? readIcon(source, *container, index, decodePng, budget) : std::nullopt;
}

std::optional<DecodedImage> extractIcon(const std::filesystem::path& path, int index,
                                        const PngDecodeFunction& decodePng)
{
    return IconReader(path).icon(index, decodePng);
}

std::optional<DecodedImage> decodeStoredImage(const StoredImage& image)
{
    const MemorySource source(image.bytes);
    return decodeImage(source, {0, source.size()});
}

IconReader::IconReader(const std::filesystem::path& path)
    : source_(FileSource::open(path)), failures_(std::make_unique<FailureBudget>())
{
    if (source_) container_ = openContainer(*source_);
}

IconReader::IconReader(std::span<const std::uint8_t> bytes)
    : source_(std::make_unique<MemorySource>(bytes)), failures_(std::make_unique<FailureBudget>())
{
    container_ = openContainer(*source_);
}

IconReader::~IconReader() = default;

int IconReader::count() const
{
    return container_ ? container_->iconCount() : 0;
}

std::optional<DecodedImage> IconReader::icon(int index, const PngDecodeFunction& decodePng) const
{
    return container_ ? readIcon(*source_, *container_, index, decodePng, *failures_) : std::nullopt;
}

std::optional<DecodedImage> IconReader::image(int index, ImageChoice choice, const PngDecodeFunction& decodePng) const
{
    return container_ ? readImage(*source_, *container_, index, choice, decodePng, *failures_) : std::nullopt;
}

std::vector<StoredImage> IconReader::imageList(int index) const
{
    return container_ ? listImages(*source_, *container_, index, false) : std::vector<StoredImage>{};
}

std::vector<StoredImage> IconReader::storedImages(int index) const
{
    return container_ ? listImages(*source_, *container_, index, true) : std::vector<StoredImage>{};
}

Image fitToStandardSize(Image image)
{
    if (image.width == standardIconSize && image.height == standardIconSize) return image;
    return scaleSmooth(image, standardIconSize, standardIconSize);
}

Image shrinkToFit(Image image, int size)
{
    if (size < 1 || (image.width <= size && image.height <= size)) return image;
    // The longer side becomes `size`; the shorter keeps the shape, at least one pixel.
    const int longer = std::max(image.width, image.height);
    const int width = std::max(1, static_cast<int>((static_cast<long long>(image.width) * size + longer / 2) / longer));
    const int height =
        std::max(1, static_cast<int>((static_cast<long long>(image.height) * size + longer / 2) / longer));
    return scaleSmooth(image, width, height);
}

} // namespace icons
