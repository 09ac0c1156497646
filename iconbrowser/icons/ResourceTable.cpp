#include "ResourceTable.h"

#include "Limits.h"

#include <algorithm>

namespace icons {

std::vector<IconDirEntry> ResourceTable::images(int index) const
{
    const auto range = groupRange(index);
    if (!range) return {};
    constexpr std::uint64_t longestGroup = iconDirHeaderSize + std::uint64_t{maxGroupImages} * 14;
    const auto bytes =
        source_.readBytes(range->offset, static_cast<std::size_t>(std::min(range->length, longestGroup)));
    if (!bytes) return {};
    return parseIconDirectory(*bytes, EntryLayout::Group);
}

std::optional<ByteRange> ResourceTable::imageRange(const IconDirEntry& entry) const
{
    return iconRange(entry.resourceId);
}

} // namespace icons
