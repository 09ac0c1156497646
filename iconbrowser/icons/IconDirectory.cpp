#include "IconDirectory.h"

#include "Limits.h"
#include "LittleEndian.h"

#include <algorithm>
#include <cstdlib>

namespace icons {

namespace {

// Old directories leave the bit count 0 and give a palette size instead.
int effectiveBitCount(int bitCount, int colorCount)
{
    if (bitCount != 0) return bitCount;
    if (colorCount == 2) return 1;
    if (colorCount == 16) return 4;
    return 8;
}

} // namespace

int declaredEntryCount(std::span<const std::uint8_t> header)
{
    if (header.size() < iconDirHeaderSize) return 0;
    if (le16(header, 0) != 0 || le16(header, 2) != 1) return 0;
    return le16(header, 4);
}

std::vector<IconDirEntry> parseIconDirectory(std::span<const std::uint8_t> bytes, EntryLayout layout)
{
    const std::size_t entrySize = static_cast<std::size_t>(layout);
    const std::size_t fitting = bytes.size() < iconDirHeaderSize ? 0 : (bytes.size() - iconDirHeaderSize) / entrySize;
    const std::size_t count = std::min(
        {static_cast<std::size_t>(declaredEntryCount(bytes)), fitting, static_cast<std::size_t>(maxGroupImages)});
    std::vector<IconDirEntry> entries;
    entries.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> e = bytes.subspan(iconDirHeaderSize + i * entrySize, entrySize);
        IconDirEntry entry;
        entry.width = e[0] == 0 ? 256 : e[0];
        entry.height = e[1] == 0 ? 256 : e[1];
        entry.colorCount = e[2];
        entry.planes = le16(e, 4);
        entry.storedBitCount = le16(e, 6);
        entry.bitCount = effectiveBitCount(entry.storedBitCount, e[2]);
        entry.bytesInRes = le32(e, 8);
        if (layout == EntryLayout::IconFile)
            entry.offset = le32(e, 12);
        else
            entry.resourceId = le16(e, 12);
        entries.push_back(entry);
    }
    return entries;
}

std::vector<IconDirEntry> rankForSize(std::vector<IconDirEntry> entries, int size)
{
    const auto distance = [size](const IconDirEntry& e) {
        return std::abs(e.width - size) + std::abs(e.height - size);
    };
    std::stable_sort(entries.begin(), entries.end(), [&](const IconDirEntry& a, const IconDirEntry& b) {
        if (distance(a) != distance(b)) return distance(a) < distance(b);
        if (a.width + a.height != b.width + b.height) return a.width + a.height > b.width + b.height;
        return a.bitCount > b.bitCount;
    });
    return entries;
}

namespace {

int area(const IconDirEntry& e)
{
    return e.width * e.height;
}

// Equal areas: more colours first; the group's order otherwise.
bool moreColours(const IconDirEntry& a, const IconDirEntry& b)
{
    return a.bitCount > b.bitCount;
}

} // namespace

std::vector<IconDirEntry> rankForPicture(std::vector<IconDirEntry> entries, int size)
{
    const auto bigEnough = [size](const IconDirEntry& e) { return e.width >= size && e.height >= size; };
    std::stable_sort(entries.begin(), entries.end(), [&](const IconDirEntry& a, const IconDirEntry& b) {
        if (bigEnough(a) != bigEnough(b)) return bigEnough(a);
        if (area(a) != area(b)) return bigEnough(a) ? area(a) < area(b) : area(a) > area(b);
        return moreColours(a, b);
    });
    return entries;
}

std::vector<IconDirEntry> rankLargestFirst(std::vector<IconDirEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const IconDirEntry& a, const IconDirEntry& b) {
        if (area(a) != area(b)) return area(a) > area(b);
        return moreColours(a, b);
    });
    return entries;
}

} // namespace icons
