#include "Icons.h"

#include "FileSource.h"
#include "IcoFile.h"
#include "LittleEndian.h"
#include "NeResources.h"
#include "PeResources.h"
#include "Scale.h"

namespace icons {

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

std::optional<Icon> readIcon(const ByteSource& source, const IconContainer& container, int index,
    const PngDecoder& decodePng)
{
    if (index < 0 || index >= container.iconCount()) return std::nullopt;
    for (const IconDirEntry& entry : rankForSize(container.images(index), standardIconSize)) {
        const auto range = container.imageRange(entry);
        if (!range) continue;
        auto image = decodeIconImage(source, *range);
        if (!image) continue;
        if (const auto* png = std::get_if<PngImage>(&*image); png && decodePng) {
            auto pixels = decodePng(*png);
            if (!pixels) continue;
            *image = std::move(*pixels);
        }
        if (auto* bitmap = std::get_if<Image>(&*image)) *bitmap = fitToStandardSize(std::move(*bitmap));
        return image;
    }
    return std::nullopt;
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

std::optional<Icon> extractIcon(const ByteSource& source, int index, const PngDecoder& decodePng)
{
    const auto container = openContainer(source);
    return container ? readIcon(source, *container, index, decodePng) : std::nullopt;
}

std::optional<Icon> extractIcon(const std::filesystem::path& path, int index, const PngDecoder& decodePng)
{
    return IconReader(path).icon(index, decodePng);
}

IconReader::IconReader(const std::filesystem::path& path) : source_(FileSource::open(path))
{
    if (source_) container_ = openContainer(*source_);
}

IconReader::IconReader(std::span<const std::uint8_t> bytes) : source_(std::make_unique<MemorySource>(bytes))
{
    container_ = openContainer(*source_);
}

IconReader::~IconReader() = default;

int IconReader::count() const
{
    return container_ ? container_->iconCount() : 0;
}

std::optional<Icon> IconReader::icon(int index, const PngDecoder& decodePng) const
{
    return container_ ? readIcon(*source_, *container_, index, decodePng) : std::nullopt;
}

Image fitToStandardSize(Image image)
{
    if (image.width == standardIconSize && image.height == standardIconSize) return image;
    return scaleSmooth(image, standardIconSize, standardIconSize);
}

} // namespace icons
