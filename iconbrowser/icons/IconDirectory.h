#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace icons {

// One image of an icon as its directory describes it. In an icon file the
// image lies at `offset`; in an executable's icon group it is the icon
// resource numbered `resourceId`.
struct IconDirEntry {
    int width = 0;
    int height = 0;
    int bitCount = 0;
    // As the directory stores them, for writing the entry out again.
    std::uint8_t colorCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t storedBitCount = 0;
    std::uint32_t bytesInRes = 0;
    std::uint32_t offset = 0;
    std::uint16_t resourceId = 0;
};

// The 6-byte header (reserved 0, type 1 for icons, count) shared by icon files
// and icon-group resources.
inline constexpr std::size_t iconDirHeaderSize = 6;
// An icon file's entries end in a 32-bit offset, a group's in a 16-bit resource id.
enum class EntryLayout { IconFile = 16, Group = 14 };

// How many entries the header declares, or 0 when it is not an icon directory.
int declaredEntryCount(std::span<const std::uint8_t> header);

// The entries that fit in `bytes` (header included), at most maxGroupImages.
std::vector<IconDirEntry> parseIconDirectory(std::span<const std::uint8_t> bytes, EntryLayout layout);

// The entries in the order to try them for an icon of `size`: the exact
// size with the most colours first, then the nearest sizes (larger before
// smaller at equal distance), each again by colours.
std::vector<IconDirEntry> rankForSize(std::vector<IconDirEntry> entries, int size);

// The entries in the order to try them for a picture of `size`: the smallest
// image at least that size first, then the next larger, then those that are
// smaller, the largest of them first; each size by colours.
std::vector<IconDirEntry> rankForPicture(std::vector<IconDirEntry> entries, int size);

// The entries largest first, each size by colours.
std::vector<IconDirEntry> rankLargestFirst(std::vector<IconDirEntry> entries);

} // namespace icons
