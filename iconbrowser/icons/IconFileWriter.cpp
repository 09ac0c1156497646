#include "Icons.h"

#include "IconDirectory.h"

namespace icons {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

// The icon file layout (the icon directory of the ICO format): a 6-byte
// header, one 16-byte entry per image, then the images one after another.
std::vector<std::uint8_t> iconFileBytes(std::span<const StoredImage> images)
{
    constexpr std::size_t entrySize = static_cast<std::size_t>(EntryLayout::IconFile);
    std::vector<std::uint8_t> out;
    put16(out, 0);
    put16(out, 1); // icons
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(iconDirHeaderSize + images.size() * entrySize);
    for (const StoredImage& image : images) {
        out.push_back(image.entryWidth);
        out.push_back(image.entryHeight);
        out.push_back(image.colorCount);
        out.push_back(0);
        put16(out, image.planes);
        put16(out, image.entryBitCount);
        put32(out, static_cast<std::uint32_t>(image.bytes.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(image.bytes.size());
    }
    for (const StoredImage& image : images) out.insert(out.end(), image.bytes.begin(), image.bytes.end());
    return out;
}

} // namespace icons
